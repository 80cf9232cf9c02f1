// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <utility>

namespace pixelary::platform {
namespace {

constexpr std::array kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe, read by the handler; -1 when no instance is installed.
volatile std::sig_atomic_t g_writeEnd = -1;

// Only async-signal-safe calls here: one write of one byte.
void OnQuitSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_writeEnd;
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

bool InstallHandler(int signalNumber) {
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // The kernel restores the default action once the handler ran, so a second request ends a
    // program whose shutdown hangs.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

void RestoreDefault(int signalNumber) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void(int)> onQuit) : on_quit_(std::move(onQuit)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    g_writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadPipe(); });
    installed_ = true;
    for (const int signalNumber : kQuitSignals)
        installed_ = InstallHandler(signalNumber) && installed_;
}

QuitSignals::~QuitSignals() {
    for (const int signalNumber : kQuitSignals) RestoreDefault(signalNumber);
    g_writeEnd = -1;
    notifier_.reset();
    for (const int fd : pipe_) {
        if (fd >= 0) ::close(fd);
    }
}

void QuitSignals::ReadPipe() {
    unsigned char number = 0;
    while (::read(pipe_[0], &number, 1) == 1) on_quit_(number);
}

}  // namespace pixelary::platform
