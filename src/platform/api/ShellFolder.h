// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Dib.h"
#include "platform/api/ItemIdList.h"

// The shell namespace as the folder model sees it: folders that list, name, describe, rename and
// draw their items, addressed by item-ID lists relative to the folder. Standard library only, so
// the model builds and is tested against any implementation.
namespace pixelary::shell {

// Attribute bits (GetAttributesOf).
inline constexpr std::uint32_t SFGAO_CANCOPY = 0x00000001;
inline constexpr std::uint32_t SFGAO_CANMOVE = 0x00000002;
inline constexpr std::uint32_t SFGAO_CANRENAME = 0x00000010;
inline constexpr std::uint32_t SFGAO_CANDELETE = 0x00000020;
inline constexpr std::uint32_t SFGAO_FILESYSANCESTOR = 0x10000000;
inline constexpr std::uint32_t SFGAO_FOLDER = 0x20000000;
inline constexpr std::uint32_t SFGAO_FILESYSTEM = 0x40000000;

// Enumeration flags (EnumObjects). Hidden items (names starting with ".") are left out unless
// SHCONTF_INCLUDEHIDDEN is given.
inline constexpr std::uint32_t SHCONTF_FOLDERS = 0x20;
inline constexpr std::uint32_t SHCONTF_NONFOLDERS = 0x40;
inline constexpr std::uint32_t SHCONTF_INCLUDEHIDDEN = 0x80;

// Display name forms (GetDisplayNameOf).
inline constexpr std::uint32_t SHGDN_NORMAL = 0;
inline constexpr std::uint32_t SHGDN_FORPARSING = 0x8000;

// Special folders (Shell::GetSpecialFolderLocation).
inline constexpr int CSIDL_DESKTOP = 0;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 16;
inline constexpr int CSIDL_DRIVES = 17;

enum class IconSize { Small, Large };

// What one query tells about an item: its attributes and, for a file-system item, its path and
// what the file system says about it.
struct ItemFacts {
    std::uint32_t Attributes = 0;  // within the mask asked for
    std::string ParsingName;       // as GetDisplayNameOf with SHGDN_FORPARSING
    bool Found = false;            // the file system has the item (file-system items only)
    bool Directory = false;
    std::int64_t Size = 0;          // bytes
    std::int64_t ModifiedTime = 0;  // seconds since 1970-01-01 UTC
};

// A folder of the namespace. Relative lists name items below this folder (one item for a child,
// more for deeper items); the empty list names the folder itself. Every operation is safe on
// any bytes: a list that names nothing gives the operation's refusal value.
class ShellFolder {
  public:
    virtual ~ShellFolder() = default;

    // The children's one-item lists, in no particular order; nullopt when the folder cannot be
    // listed.
    virtual std::optional<std::vector<IdList>> EnumObjects(std::uint32_t flags) = 0;
    // The folder named by a non-empty relative list; nullptr for files and unknown items.
    virtual std::shared_ptr<ShellFolder> BindToObject(const IdList& relative) = 0;
    // SHGDN_NORMAL: the name shown to the user; SHGDN_FORPARSING: the absolute path of a
    // file-system item, "::" and the kind of a virtual one. nullopt for unknown items.
    virtual std::optional<std::string> GetDisplayNameOf(const IdList& relative,
                                                        std::uint32_t flags) = 0;
    // The item's attribute bits within mask; 0 for unknown items.
    virtual std::uint32_t GetAttributesOf(const IdList& relative, std::uint32_t mask) = 0;
    // Renames a child; its new one-item list, or nullopt when refused. Never replaces an
    // existing item.
    virtual std::optional<IdList> SetNameOf(const IdList& relative, std::string_view name,
                                            std::uint32_t flags) = 0;
    // The list, relative to this folder, of the item a display name names; nullopt when none.
    virtual std::optional<IdList> ParseDisplayName(std::string_view displayName) = 0;
    // The item's icon as a bitmap; an empty Dib when there is none.
    virtual Dib GetIcon(const IdList& relative, IconSize size) = 0;
    // The item's type description in the user's language; empty when there is none.
    virtual std::string GetTypeName(const IdList& relative) = 0;
    // Attributes (within mask), parsing name and file facts in one query, for listing many
    // items; nullopt when the folder does not offer it (ask one thing at a time then) or the
    // item is unknown.
    virtual std::optional<ItemFacts> GetItemFacts(const IdList& /*relative*/,
                                                  std::uint32_t /*mask*/) {
        return std::nullopt;
    }
};

using FolderPtr = std::shared_ptr<ShellFolder>;

// The namespace as a whole: its root folder and the lists of the special folders.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual FolderPtr GetDesktopFolder() = 0;
    // The absolute list of a special folder (CSIDL_*); nullopt when unknown or missing.
    virtual std::optional<IdList> GetSpecialFolderLocation(int code) = 0;
};

// The process's namespace; none until the platform layer (or a test) installs one.
void SetShell(std::shared_ptr<Shell> shell);
std::shared_ptr<Shell> CurrentShell();

}  // namespace pixelary::shell
