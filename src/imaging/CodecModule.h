// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "core/Exception.h"

namespace pixelary {

// A failure to bind a codec module or one of its entries.
class EImageLibError : public Exception {
  public:
    using Exception::Exception;
};

// One codec module loaded at run time by file name. The handle is kept between calls and
// released on destruction or by Unload.
class TCodecModule {
  public:
    explicit TCodecModule(std::string name) : name_(std::move(name)) {}
    ~TCodecModule();
    TCodecModule(const TCodecModule&) = delete;
    TCodecModule& operator=(const TCodecModule&) = delete;

    const std::string& Name() const { return name_; }
    bool IsLoaded() const { return handle_ != nullptr; }

    // Loads the module when needed (from folder first, see CandidatePaths), runs its "InitDll"
    // and returns the wanted entry. Raises EImageLibError with "Can't load <name>. Make sure its
    // located in the application's searchpath." when no candidate loads, "Wrong dll Name" when
    // the module names itself differently (it is then unloaded), and an error naming the entry
    // when the entry is missing.
    void* Bind(const std::string& folder, const std::string& entry);
    void Unload();

    // The places tried in order: folder + name, the program's folder + name, the bare name
    // (the system's library search), then the name found in the system folders and that path
    // without its extension.
    static std::vector<std::string> CandidatePaths(const std::string& folder,
                                                   const std::string& name);
    // Folder of the running program, without a trailing "/".
    static std::string ProgramFolder();
    // Folders searched after the library path: the per-user data folder, the system library
    // folders, the program's folder and, for an installed program, ../lib/pixelary beside it.
    static std::vector<std::string> SystemFolders();

  private:
    void Load(const std::string& folder);
    void Initialise();

    std::string name_;
    void* handle_ = nullptr;
};

}  // namespace pixelary
