// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace pixelary::platform {

// Turns the signals that ask a desktop program to end (SIGTERM at logout or shutdown, SIGINT
// from a terminal, SIGHUP when the terminal goes away) into a call on the main thread's event
// loop, so the program can close its window the normal way. The handler only writes the
// signal number into a pipe; a second signal of the same kind ends the process at once, as if
// none had been installed. One instance per process.
class QuitSignals {
  public:
    // onQuit runs on the thread that made this object, once per signal received.
    explicit QuitSignals(std::function<void(int signalNumber)> onQuit);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // False when the pipe or a handler could not be installed; the signals then keep their
    // default action.
    bool Installed() const { return installed_; }

  private:
    void ReadPipe();

    std::function<void(int)> on_quit_;

    int pipe_[2] = {-1, -1};
    bool installed_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pixelary::platform
