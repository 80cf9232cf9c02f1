// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxShell.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocale>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>

#include "platform/LocaleCollation.h"
#include "platform/ShellIcons.h"

Q_LOGGING_CATEGORY(lcShell, "pixelary.platform", QtWarningMsg)

namespace pixelary::platform {

namespace {

using shell::IdList;
using shell::ItemView;

constexpr std::size_t kMaxNameBytes = 255;  // NAME_MAX of the usual Linux file systems
constexpr char kHomeItemName[] = "Home";    // the home item's name; only its kind counts
constexpr std::uint32_t kFolderBits = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSANCESTOR;
constexpr std::uint32_t kChangeBits =
    shell::SFGAO_CANRENAME | shell::SFGAO_CANDELETE | shell::SFGAO_CANMOVE;

// A resolved item: what it is and, below the file system, its absolute path.
struct Node {
    NodeKind kind = NodeKind::Desktop;
    std::string path;
};

bool IsVirtual(const Node& node) {
    return node.kind == NodeKind::Desktop || node.kind == NodeKind::Computer;
}

// A name that stays one entry of its folder: no separator, no NUL, not "." or "..".
bool IsPlainName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxNameBytes && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// An absolute path without "." or ".." components and without a trailing "/".
bool IsCleanAbsolutePath(std::string_view path) {
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos) {
        return false;
    }
    if (path == "/") return true;
    if (path.back() == '/') return false;
    const std::filesystem::path p{std::string(path)};
    return p.lexically_normal().string() == path;
}

std::string JoinPath(const std::string& dir, std::string_view name) {
    std::string out = dir;
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string LastComponent(const std::string& path) {
    if (path == "/") return path;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StatPath(const std::string& path, struct stat& info) {
    return ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return StatPath(path, info) && S_ISDIR(info.st_mode);
}

// True when path is root or lies below it.
bool IsUnder(const std::string& path, const std::string& root) {
    if (root.empty()) return false;
    if (root == "/" || path == root) return true;
    return path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
           path[root.size()] == '/';
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

IdList ItemOrEmpty(std::uint8_t kind, std::string_view name) {
    return shell::idlist::MakeItem(kind, name).value_or(IdList{});
}

// One folder of the namespace: the desktop, "Computer" or a file-system folder.
class LinuxFolder : public shell::ShellFolder {
  public:
    LinuxFolder(std::shared_ptr<const ShellRoots> roots, Node self)
        : roots_(std::move(roots)), self_(std::move(self)) {}

    std::optional<std::vector<IdList>> EnumObjects(std::uint32_t flags) override;
    shell::FolderPtr BindToObject(const IdList& relative) override;
    std::optional<std::string> GetDisplayNameOf(const IdList& relative,
                                                std::uint32_t flags) override;
    std::uint32_t GetAttributesOf(const IdList& relative, std::uint32_t mask) override;
    std::optional<IdList> SetNameOf(const IdList& relative, std::string_view name,
                                    std::uint32_t flags) override;
    std::optional<IdList> ParseDisplayName(std::string_view displayName) override;
    Dib GetIcon(const IdList& relative, shell::IconSize size) override;
    std::string GetTypeName(const IdList& relative) override;
    std::optional<shell::ItemFacts> GetItemFacts(const IdList& relative,
                                                 std::uint32_t mask) override;

  private:
    // The attribute bits of a node whose stat is info.
    std::uint32_t AttributesOf(const Node& node, const struct stat& info, std::uint32_t mask) const;
    std::optional<Node> Child(const Node& parent, const ItemView& item) const;
    std::optional<Node> Resolve(const IdList& relative) const;
    // The directory whose entries are this folder's file-system children.
    std::string EntryDirectory() const;
    // False when dir cannot be read.
    bool ListDirectory(const std::string& dir, std::uint32_t flags, std::vector<IdList>& out) const;
    std::optional<IdList> ParseAbsolutePath(const std::string& path) const;
    // The list of the home folder or volume that holds path; root receives its path.
    IdList RootListFor(const std::string& path, std::string& root) const;
    NodeKind KindOnDisk(const Node& node) const;

    std::shared_ptr<const ShellRoots> roots_;
    Node self_;
};

std::optional<Node> LinuxFolder::Child(const Node& parent, const ItemView& item) const {
    switch (parent.kind) {
        case NodeKind::Desktop:
            if (item.kind == kind::kHome && !roots_->Home.empty()) {
                return Node{NodeKind::Home, roots_->Home};
            }
            if (item.kind == kind::kComputer) return Node{NodeKind::Computer, {}};
            if (item.kind == kind::kEntry && !roots_->Desktop.empty() && IsPlainName(item.name)) {
                return Node{NodeKind::File, JoinPath(roots_->Desktop, item.name)};
            }
            return std::nullopt;
        case NodeKind::Computer:
            if (item.kind == kind::kVolume && IsCleanAbsolutePath(item.name)) {
                return Node{NodeKind::Volume, std::string(item.name)};
            }
            return std::nullopt;
        default:
            if (item.kind == kind::kEntry && IsPlainName(item.name)) {
                return Node{NodeKind::File, JoinPath(parent.path, item.name)};
            }
            return std::nullopt;
    }
}

std::optional<Node> LinuxFolder::Resolve(const IdList& relative) const {
    Node node = self_;
    for (const ItemView& item : shell::idlist::Decode(relative)) {
        auto child = Child(node, item);
        if (!child) return std::nullopt;
        node = std::move(*child);
    }
    return node;
}

// Entries are File nodes until asked; the disk tells folders from files.
NodeKind LinuxFolder::KindOnDisk(const Node& node) const {
    if (node.kind != NodeKind::File) return node.kind;
    return IsDirectory(node.path) ? NodeKind::Folder : NodeKind::File;
}

std::string LinuxFolder::EntryDirectory() const {
    if (self_.kind == NodeKind::Desktop) {
        if (roots_->Desktop.empty() || roots_->Desktop == roots_->Home) return {};
        return roots_->Desktop;
    }
    return self_.kind == NodeKind::Computer ? std::string() : self_.path;
}

bool LinuxFolder::ListDirectory(const std::string& dir, std::uint32_t flags,
                                std::vector<IdList>& out) const {
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) return false;
    const bool want_folders = (flags & shell::SHCONTF_FOLDERS) != 0;
    const bool want_files = (flags & shell::SHCONTF_NONFOLDERS) != 0;
    const bool want_hidden = (flags & shell::SHCONTF_INCLUDEHIDDEN) != 0;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (!IsPlainName(name) || (name.front() == '.' && !want_hidden)) continue;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            folder = IsDirectory(JoinPath(dir, name));
        }
        if (folder ? !want_folders : !want_files) continue;
        IdList item = ItemOrEmpty(kind::kEntry, name);
        if (!item.empty()) out.push_back(std::move(item));
    }
    ::closedir(stream);
    return true;
}

std::optional<std::vector<IdList>> LinuxFolder::EnumObjects(std::uint32_t flags) {
    std::vector<IdList> out;
    const bool want_folders = (flags & shell::SHCONTF_FOLDERS) != 0;
    if (self_.kind == NodeKind::Desktop && want_folders) {
        if (IsDirectory(roots_->Home)) out.push_back(ItemOrEmpty(kind::kHome, kHomeItemName));
        out.push_back(ItemOrEmpty(kind::kComputer, kComputerName));
    }
    if (self_.kind == NodeKind::Computer) {
        if (!want_folders) return out;
        for (const std::string& volume : roots_->Volumes) {
            if (IsCleanAbsolutePath(volume) && IsDirectory(volume)) {
                out.push_back(ItemOrEmpty(kind::kVolume, volume));
            }
        }
        return out;
    }
    const std::string dir = EntryDirectory();
    if (dir.empty()) return out;
    if (!ListDirectory(dir, flags, out)) {
        qCDebug(lcShell) << "cannot list" << dir.c_str();
        // The desktop still shows its own children when its folder cannot be read.
        if (self_.kind != NodeKind::Desktop) return std::nullopt;
    }
    return out;
}

shell::FolderPtr LinuxFolder::BindToObject(const IdList& relative) {
    if (shell::idlist::Count(relative) == 0) return nullptr;
    auto node = Resolve(relative);
    if (!node) return nullptr;
    if (!IsVirtual(*node)) {
        if (!IsDirectory(node->path)) return nullptr;
        if (node->kind == NodeKind::File) node->kind = NodeKind::Folder;
    }
    return std::make_shared<LinuxFolder>(roots_, std::move(*node));
}

std::optional<std::string> LinuxFolder::GetDisplayNameOf(const IdList& relative,
                                                         std::uint32_t flags) {
    auto node = Resolve(relative);
    if (!node) return std::nullopt;
    const bool parsing = (flags & shell::SHGDN_FORPARSING) != 0;
    switch (node->kind) {
        case NodeKind::Desktop:
            return parsing ? std::string(kDesktopParsingName) : roots_->Names.Desktop;
        case NodeKind::Computer:
            return parsing ? std::string(kComputerParsingName) : roots_->Names.Computer;
        case NodeKind::Volume:
            if (!parsing) {
                const QStorageInfo storage(QString::fromStdString(node->path));
                const QString label = storage.isValid() ? storage.name() : QString();
                if (!label.isEmpty()) return label.toStdString();
            }
            return node->path;
        default:
            return parsing ? node->path : LastComponent(node->path);
    }
}

std::uint32_t LinuxFolder::GetAttributesOf(const IdList& relative, std::uint32_t mask) {
    auto node = Resolve(relative);
    if (!node) return 0;
    if (IsVirtual(*node)) return kFolderBits & mask;
    struct stat info {};
    if (!StatPath(node->path, info)) return 0;
    return AttributesOf(*node, info, mask);
}

std::uint32_t LinuxFolder::AttributesOf(const Node& node, const struct stat& info,
                                        std::uint32_t mask) const {
    std::uint32_t attributes = shell::SFGAO_FILESYSTEM;
    if (S_ISDIR(info.st_mode)) attributes |= kFolderBits;
    if ((mask & shell::SFGAO_CANCOPY) != 0 && ::access(node.path.c_str(), R_OK) == 0) {
        attributes |= shell::SFGAO_CANCOPY;
    }
    // Home and volumes stay where they are; entries change when their folder may be written.
    if ((mask & kChangeBits) != 0 && node.kind == NodeKind::File &&
        ::access(ParentOf(node.path).c_str(), W_OK | X_OK) == 0) {
        attributes |= kChangeBits;
    }
    return attributes & mask;
}

// One Resolve and one stat for what GetAttributesOf, GetDisplayNameOf and a stat of the path
// would each find out.
std::optional<shell::ItemFacts> LinuxFolder::GetItemFacts(const IdList& relative,
                                                          std::uint32_t mask) {
    auto node = Resolve(relative);
    if (!node) return std::nullopt;
    shell::ItemFacts facts;
    if (IsVirtual(*node)) {
        facts.Attributes = kFolderBits & mask;
        facts.ParsingName =
            node->kind == NodeKind::Desktop ? kDesktopParsingName : kComputerParsingName;
        return facts;
    }
    facts.ParsingName = node->path;
    struct stat info {};
    if (!StatPath(node->path, info)) return facts;
    facts.Attributes = AttributesOf(*node, info, mask);
    facts.Found = true;
    facts.Directory = S_ISDIR(info.st_mode);
    facts.Size = info.st_size;
    facts.ModifiedTime = info.st_mtime;
    return facts;
}

std::optional<IdList> LinuxFolder::SetNameOf(const IdList& relative, std::string_view name,
                                             std::uint32_t /*flags*/) {
    if (shell::idlist::Count(relative) != 1 || !IsPlainName(name)) return std::nullopt;
    auto node = Resolve(relative);
    if (!node || node->kind != NodeKind::File) return std::nullopt;
    const std::string target = JoinPath(ParentOf(node->path), name);
    // Renaming never replaces an existing entry.
    if (::renameat2(AT_FDCWD, node->path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
        0) {
        const int error = errno;
        struct stat info {};
        if ((error != EINVAL && error != ENOSYS) || ::lstat(target.c_str(), &info) == 0 ||
            std::rename(node->path.c_str(), target.c_str()) != 0) {
            qCDebug(lcShell) << "rename refused" << node->path.c_str();
            return std::nullopt;
        }
    }
    return shell::idlist::MakeItem(kind::kEntry, name);
}

std::optional<IdList> LinuxFolder::ParseAbsolutePath(const std::string& path) const {
    struct stat info {};
    if (!IsCleanAbsolutePath(path) || !StatPath(path, info)) return std::nullopt;
    std::string root;
    IdList list = RootListFor(path, root);
    const std::filesystem::path rest = std::filesystem::path(path).lexically_relative(root);
    for (const auto& component : rest) {
        const std::string name = component.string();
        if (name == "." || name.empty()) continue;
        auto item = shell::idlist::MakeItem(kind::kEntry, name);
        if (!item) return std::nullopt;
        list = shell::idlist::Concat(list, *item);
    }
    return list;
}

// Paths in the home folder are reached through it; any other through its volume, the mount
// point nearest to it.
IdList LinuxFolder::RootListFor(const std::string& path, std::string& root) const {
    if (roots_->Home != "/" && IsUnder(path, roots_->Home)) {
        root = roots_->Home;
        return ItemOrEmpty(kind::kHome, kHomeItemName);
    }
    root = "/";
    for (const std::string& volume : roots_->Volumes) {
        if (IsCleanAbsolutePath(volume) && IsUnder(path, volume) && volume.size() > root.size()) {
            root = volume;
        }
    }
    return shell::idlist::Concat(ItemOrEmpty(kind::kComputer, kComputerName),
                                 ItemOrEmpty(kind::kVolume, root));
}

std::optional<IdList> LinuxFolder::ParseDisplayName(std::string_view displayName) {
    if (self_.kind != NodeKind::Desktop) return std::nullopt;
    if (displayName == kDesktopParsingName) return shell::idlist::Empty();
    if (displayName == kComputerParsingName) return ItemOrEmpty(kind::kComputer, kComputerName);
    std::string path(displayName);
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return ParseAbsolutePath(path);
}

Dib LinuxFolder::GetIcon(const IdList& relative, shell::IconSize size) {
    auto node = Resolve(relative);
    if (!node) return {};
    return IconFor(KindOnDisk(*node), node->path, size);
}

std::string LinuxFolder::GetTypeName(const IdList& relative) {
    auto node = Resolve(relative);
    struct stat info {};
    if (!node || (!IsVirtual(*node) && ::lstat(node->path.c_str(), &info) != 0)) return {};
    return TypeNameFor(KindOnDisk(*node), node->path);
}

// Mounts of the system's own state; removable media under /run/media are the user's.
bool IsSystemMount(const std::string& root) {
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/boot/efi"}) {
        if (IsUnder(root, prefix)) return !IsUnder(root, "/run/media");
    }
    return false;
}

// Volumes worth browsing: real file systems mounted on directories, "/" first.
std::vector<std::string> MountedVolumes() {
    static const std::set<QByteArray> kPseudo = {
        "autofs", "binfmt_misc", "bpf",     "cgroup",    "cgroup2", "configfs", "debugfs",
        "devpts", "devtmpfs",    "fusectl", "hugetlbfs", "mqueue",  "nsfs",     "proc",
        "pstore", "securityfs",  "sysfs",   "tracefs",   "overlay", "squashfs"};
    std::vector<std::string> volumes{"/"};
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady() || kPseudo.count(storage.fileSystemType())) {
            continue;
        }
        const std::string root = storage.rootPath().toStdString();
        if (root == "/" || !IsCleanAbsolutePath(root) || !IsDirectory(root)) continue;
        if (IsSystemMount(root)) continue;
        if (std::find(volumes.begin(), volumes.end(), root) == volumes.end()) {
            volumes.push_back(root);
        }
    }
    return volumes;
}

}  // namespace

VirtualFolderNames VirtualFolderNames::ForLanguage(const std::string& locale) {
    const QLocale language(QString::fromStdString(locale));
    if (language.language() != QLocale::Chinese) return {};
    if (language.script() == QLocale::SimplifiedChineseScript) return {"桌面", "计算机"};
    return {"桌面", "電腦"};
}

ShellRoots ShellRoots::FromSystem() {
    ShellRoots roots;
    roots.Home = QDir::cleanPath(QDir::homePath()).toStdString();
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QDir(desktop).exists()) {
        roots.Desktop = QDir::cleanPath(desktop).toStdString();
    }
    roots.Volumes = MountedVolumes();
    return roots;
}

LinuxShell::LinuxShell(ShellRoots roots)
    : roots_(std::make_shared<const ShellRoots>(std::move(roots))) {}

shell::FolderPtr LinuxShell::GetDesktopFolder() {
    return std::make_shared<LinuxFolder>(roots_, Node{NodeKind::Desktop, {}});
}

std::optional<shell::IdList> LinuxShell::GetSpecialFolderLocation(int code) {
    switch (code) {
        case shell::CSIDL_DESKTOP:
            return shell::idlist::Empty();
        case shell::CSIDL_DRIVES:
            return shell::idlist::MakeItem(kind::kComputer, kComputerName);
        case shell::CSIDL_DESKTOPDIRECTORY:
            if (roots_->Desktop.empty()) return std::nullopt;
            return GetDesktopFolder()->ParseDisplayName(roots_->Desktop);
        default:
            return std::nullopt;
    }
}

void InstallPlatform(ShellRoots roots) {
    shell::SetShell(std::make_shared<LinuxShell>(std::move(roots)));
    InstallLocaleCompare();
}

void InstallPlatform(const std::string& interfaceLanguage) {
    ShellRoots roots = ShellRoots::FromSystem();
    roots.Names = VirtualFolderNames::ForLanguage(interfaceLanguage);
    InstallPlatform(std::move(roots));
}

void InstallPlatform() {
    InstallPlatform(QLocale::system().name().toStdString());
}

}  // namespace pixelary::platform
