// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/api/ShellFolder.h"

namespace pixelary::platform {

// Display names of the virtual folders, in the interface's language.
struct VirtualFolderNames {
    std::string Desktop = "Desktop";
    std::string Computer = "Computer";

    // The names for a locale name such as "zh_TW", "zh-Hant-HK" or "en_US"; a language without
    // names of its own gets the English ones.
    static VirtualFolderNames ForLanguage(const std::string& locale);
};

// Where the virtual desktop finds its children; injectable so tests never use the real home.
struct ShellRoots {
    std::string Home;                  // the user's home folder, absolute
    std::string Desktop;               // the XDG desktop folder; empty when there is none
    std::vector<std::string> Volumes;  // mount points listed by "Computer", "/" first
    VirtualFolderNames Names;          // what the desktop and "Computer" are called

    // The running user's folders and the mounted local volumes.
    static ShellRoots FromSystem();
};

// Kind byte of each item of the Linux namespace.
namespace kind {
inline constexpr std::uint8_t kHome = 'H';      // the home folder, a child of the desktop
inline constexpr std::uint8_t kComputer = 'C';  // "Computer", a child of the desktop
inline constexpr std::uint8_t kVolume = 'V';    // a mount point, a child of "Computer"
inline constexpr std::uint8_t kEntry = 'F';     // a file or folder named by its file name
}  // namespace kind

// The name stored in the "Computer" item (only its kind counts) and the virtual folders'
// parsing names, which stay the same in every language.
inline constexpr char kComputerName[] = "Computer";
inline constexpr char kDesktopParsingName[] = "::Desktop";
inline constexpr char kComputerParsingName[] = "::Computer";

// The Linux namespace: a virtual desktop holding the home folder, "Computer" (the mounted
// volumes) and the desktop folder's entries; below a file-system folder, the file system.
class LinuxShell : public shell::Shell {
  public:
    explicit LinuxShell(ShellRoots roots);

    shell::FolderPtr GetDesktopFolder() override;
    // CSIDL_DESKTOP, CSIDL_DRIVES ("Computer") and CSIDL_DESKTOPDIRECTORY (when it exists).
    std::optional<shell::IdList> GetSpecialFolderLocation(int code) override;

  private:
    std::shared_ptr<const ShellRoots> roots_;
};

// Installs the namespace over roots and the locale text comparison for the whole process.
void InstallPlatform(ShellRoots roots);
// The same over the system's roots, the virtual folders named in interfaceLanguage (a locale
// name such as "zh_TW").
void InstallPlatform(const std::string& interfaceLanguage);
// The same with the virtual folders named in the system's language.
void InstallPlatform();

}  // namespace pixelary::platform
