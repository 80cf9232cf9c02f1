// SPDX-License-Identifier: GPL-3.0-or-later
// A session manager of the X desktop cut down to what ending a session needs: it listens on a
// local socket, takes one client, registers it, asks it to save itself and tells it to die, the
// way a desktop session does at logout.
#pragma once

#include <functional>
#include <memory>
#include <string>

class MiniSessionManager {
  public:
    MiniSessionManager();
    ~MiniSessionManager();
    MiniSessionManager(const MiniSessionManager&) = delete;
    MiniSessionManager& operator=(const MiniSessionManager&) = delete;

    // Empty when listening failed; otherwise the value of SESSION_MANAGER for the client.
    const std::string& Address() const;
    const std::string& Error() const;

    // Serves the client until done() holds or the time is up; between rounds idle() runs (the
    // caller's own event loop).
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs,
                    const std::function<void()>& idle);

    bool Registered() const;
    int SavesDone() const;
    bool LastSaveSucceeded() const;

    // A save of the whole session; shutdown says the session ends after it.
    void SaveYourself(bool shutdown);
    void Die();

  private:
    // The session library's types stay out of this header: its macros (Bool, Status, True)
    // would clash with Qt's names in the tests that include it.
    struct Session;
    std::unique_ptr<Session> session_;
};
