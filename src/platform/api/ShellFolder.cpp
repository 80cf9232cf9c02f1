// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/api/ShellFolder.h"

#include <mutex>

namespace pixelary::shell {

namespace {

std::mutex g_shell_mutex;
std::shared_ptr<Shell> g_shell;

}  // namespace

void SetShell(std::shared_ptr<Shell> shell) {
    std::lock_guard lock(g_shell_mutex);
    g_shell = std::move(shell);
}

std::shared_ptr<Shell> CurrentShell() {
    std::lock_guard lock(g_shell_mutex);
    return g_shell;
}

}  // namespace pixelary::shell
