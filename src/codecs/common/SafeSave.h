// SPDX-License-Identifier: GPL-3.0-or-later
// Saving that never damages the file being replaced.
#pragma once

#include <string>

#include "codecs/common/CodecImage.h"

namespace pixcodec {

// A temporary file beside a save's target that replaces the target only when the whole picture
// was written: a failed, cancelled or interrupted save leaves an existing file as it was. The
// temporary is created in the target's folder (so the final rename stays on one file system)
// with the target's permissions, and is removed unless committed.
class SafeSave {
  public:
    // With startFromTarget the temporary begins as a byte copy of an existing target, for saves
    // that add to a file (a TIFF page appended). Raises PIX_ERR_CREATE when the target may not
    // be replaced or no temporary can be made, PIX_ERR_OPEN / PIX_ERR_WRITE when the copy fails.
    SafeSave(const char* target, bool startFromTarget);
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    // The file the writer writes instead of the target.
    const char* Path() const { return temporary_.path.c_str(); }
    // Flushes the temporary to the disk and renames it over the target; raises PIX_ERR_WRITE.
    void Commit();

  private:
    // A file removed when this goes away, unless kept.
    struct OwnedFile {
        std::string path;
        bool keep = false;
        OwnedFile() = default;
        OwnedFile(const OwnedFile&) = delete;
        OwnedFile& operator=(const OwnedFile&) = delete;
        ~OwnedFile();
    };
    // What an existing target's replacement keeps of it.
    struct Permissions {
        bool replacing = false;
        unsigned mode = 0;
        unsigned owner = 0;
        unsigned group = 0;
    };

    int CreateTemporary();

    std::string target_;
    Permissions permissions_;
    OwnedFile temporary_;
};

// Runs write(temporaryPath) through a SafeSave of target and commits it when write returns.
template <class Write>
void SaveSafely(const char* target, bool startFromTarget, Write&& write) {
    SafeSave save(target, startFromTarget);
    write(save.Path());
    save.Commit();
}

}  // namespace pixcodec
