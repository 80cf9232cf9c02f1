// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "print/PrintSettings.h"

namespace pixelary {

// The print style files. The system style "system.df" ships with the program and is read only;
// the last used settings "default.uf" and the user's named styles ("<name>.df") live in the
// user's own folder, so an installed, read-only program can still keep them.
class PrintStyleStore {
  public:
    static constexpr const char* kSystemStyle = "system.df";
    static constexpr const char* kLastUsed = "default.uf";
    static constexpr const char* kStyleExtension = ".df";

    PrintStyleStore(std::string shippedFolder, std::string userFolder);

    // Where a style file is read from: the shipped folder for the system style (the user's folder
    // when the program ships none), the user's folder for every other file.
    std::string PathOf(const std::string& fileName) const;
    // Raises EFOpenError for a missing or unreadable file and EInOutError "參數檔資料錯誤" for
    // anything that is not one style record.
    PrintSettings Load(const std::string& fileName) const;
    // Replaces the user's file whole: written beside it first and renamed over it, so a failed
    // save leaves the old style intact. Raises EFCreateError when it cannot be written.
    void Save(const std::string& fileName, const PrintSettings& settings) const;
    // The user's named styles without their extension, sorted without regard to case; the system
    // style is never among them, whatever the case of its name.
    std::vector<std::string> StyleNames() const;

    const std::string& UserFolder() const { return user_folder_; }

  private:
    std::string shipped_folder_;
    std::string user_folder_;
};

}  // namespace pixelary
