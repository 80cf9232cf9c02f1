// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes taken as an item-ID list must give sound copies and quiet refusals, never a read
// past the list or a crash.
#include <cstddef>
#include <cstdint>

#include "model/MPidl.h"
#include "platform/LinuxShell.h"

namespace {

using pixelary::shell::IdList;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// A closed list: its items' counts add up to its size less the terminator.
bool IsSound(const IdList& list) {
    const auto offsets = pixelary::shell::idlist::ItemOffsets(list);
    std::size_t total = pixelary::shell::kTerminatorSize;
    for (const std::size_t offset : offsets) {
        total += pixelary::shell::idlist::ItemSize(list, offset);
    }
    return list.size() == total && list[list.size() - 1] == 0 && list[list.size() - 2] == 0;
}

pixelary::shell::FolderPtr Desktop() {
    pixelary::platform::ShellRoots roots;
    roots.Home = "/nonexistent-pixelary-home";
    roots.Volumes = {"/"};
    static auto desktop = pixelary::platform::LinuxShell(roots).GetDesktopFolder();
    return desktop;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const IdList bytes(data, data + size);
    pixelary::MPidl pidl(bytes);
    if (size > 0) {
        Check(IsSound(pidl.IdList()));
        Check(pidl.ByteSize() == static_cast<std::int32_t>(pidl.IdList().size()));
        Check(IsSound(pidl.CopyLastId()));
        Check(IsSound(pidl.CopyParentIds()));
    }
    auto desktop = Desktop();
    desktop->GetDisplayNameOf(bytes, pixelary::shell::SHGDN_FORPARSING);
    desktop->GetAttributesOf(bytes, pixelary::shell::SFGAO_FOLDER);
    desktop->BindToObject(bytes);
    return 0;
}
