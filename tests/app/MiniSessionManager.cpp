// SPDX-License-Identifier: GPL-3.0-or-later
#include "MiniSessionManager.h"

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The ICE library ends the process on a broken connection unless told otherwise; a client that
// dies is an ordinary event here.
void IgnoreBrokenConnection(IceConn) {}

// Only clients on this machine's local socket are let in, without an authority file.
Bool LocalClientsOnly(char* hostName) {
    return hostName != nullptr && std::strncmp(hostName, "local/", 6) == 0;
}

// Messages a save at logout does not depend on are answered at once.
void FillQuietCallbacks(SmsCallbacks& callbacks, SmPointer self) {
    callbacks.interact_request.callback = [](SmsConn client, SmPointer, int) {
        SmsInteract(client);
    };
    callbacks.interact_request.manager_data = self;
    callbacks.interact_done.callback = [](SmsConn, SmPointer, Bool) {};
    callbacks.interact_done.manager_data = self;
    callbacks.save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {
    };
    callbacks.save_yourself_request.manager_data = self;
    callbacks.save_yourself_phase2_request.callback = [](SmsConn client, SmPointer) {
        SmsSaveYourselfPhase2(client);
    };
    callbacks.save_yourself_phase2_request.manager_data = self;
    callbacks.set_properties.callback = [](SmsConn, SmPointer, int count, SmProp** properties) {
        for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
        std::free(properties);
    };
    callbacks.set_properties.manager_data = self;
    callbacks.delete_properties.callback = [](SmsConn, SmPointer, int count, char** names) {
        for (int i = 0; i < count; ++i) std::free(names[i]);
        std::free(names);
    };
    callbacks.delete_properties.manager_data = self;
    callbacks.get_properties.callback = [](SmsConn client, SmPointer) {
        SmsReturnProperties(client, 0, nullptr);
    };
    callbacks.get_properties.manager_data = self;
}

}  // namespace

struct MiniSessionManager::Session {
    Session();
    ~Session();
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs,
                    const std::function<void()>& idle);
    static Session* From(SmPointer data) { return static_cast<Session*>(data); }
    static Status NewClient(SmsConn, SmPointer, unsigned long*, SmsCallbacks*, char**);
    static Status RegisterClient(SmsConn, SmPointer, char* previousId);
    static void SaveYourselfDone(SmsConn, SmPointer, Bool success);
    static void CloseConnection(SmsConn, SmPointer, int, char**);
    void Accept(IceListenObj listener);
    void ReadClient();
    void DropClient();

    int listener_count_ = 0;
    IceListenObj* listeners_ = nullptr;
    IceConn connection_ = nullptr;
    SmsConn client_ = nullptr;
    bool registered_ = false;
    bool client_closing_ = false;
    int saves_done_ = 0;
    bool last_save_ok_ = false;
    std::string address_;
    std::string error_;
};

MiniSessionManager::MiniSessionManager() : session_(std::make_unique<Session>()) {}
MiniSessionManager::~MiniSessionManager() = default;
const std::string& MiniSessionManager::Address() const {
    return session_->address_;
}
const std::string& MiniSessionManager::Error() const {
    return session_->error_;
}
bool MiniSessionManager::Registered() const {
    return session_->client_ != nullptr && session_->registered_;
}
int MiniSessionManager::SavesDone() const {
    return session_->saves_done_;
}
bool MiniSessionManager::LastSaveSucceeded() const {
    return session_->last_save_ok_;
}

bool MiniSessionManager::ServeUntil(const std::function<bool()>& done, int timeoutMs,
                                    const std::function<void()>& idle) {
    return session_->ServeUntil(done, timeoutMs, idle);
}

void MiniSessionManager::SaveYourself(bool shutdown) {
    if (session_->client_ != nullptr) {
        SmsSaveYourself(session_->client_, SmSaveBoth, shutdown ? True : False, SmInteractStyleNone,
                        False);
    }
}

void MiniSessionManager::Die() {
    if (session_->client_ != nullptr) SmsDie(session_->client_);
}

MiniSessionManager::Session::Session() {
    char error[256] = {};
    IceSetIOErrorHandler(IgnoreBrokenConnection);
    if (!SmsInitialize("Pixelary tests", "1", NewClient, this, LocalClientsOnly, sizeof error,
                       error)) {
        error_ = std::string("cannot start the session protocol: ") + error;
        return;
    }
    if (!IceListenForConnections(&listener_count_, &listeners_, sizeof error, error)) {
        error_ = std::string("cannot listen: ") + error;
        return;
    }
    std::vector<IceListenObj> local;
    for (int i = 0; i < listener_count_; ++i) {
        IceSetHostBasedAuthProc(listeners_[i], LocalClientsOnly);
        char* id = IceGetListenConnectionString(listeners_[i]);
        if (id != nullptr && std::strncmp(id, "local/", 6) == 0) local.push_back(listeners_[i]);
        std::free(id);
    }
    if (local.empty()) {
        error_ = "no local socket to listen on";
        return;
    }
    char* ids = IceComposeNetworkIdList(static_cast<int>(local.size()), local.data());
    address_ = ids;
    std::free(ids);
}

MiniSessionManager::Session::~Session() {
    DropClient();
    if (listeners_ != nullptr) IceFreeListenObjs(listener_count_, listeners_);
}

bool MiniSessionManager::Session::ServeUntil(const std::function<bool()>& done, int timeoutMs,
                                             const std::function<void()>& idle) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > deadline || listeners_ == nullptr) return false;
        std::vector<pollfd> watched;
        for (int i = 0; i < listener_count_; ++i) {
            watched.push_back({IceGetListenConnectionNumber(listeners_[i]), POLLIN, 0});
        }
        if (connection_ != nullptr)
            watched.push_back({IceConnectionNumber(connection_), POLLIN, 0});
        if (::poll(watched.data(), watched.size(), 20) > 0) {
            for (int i = 0; i < listener_count_; ++i) {
                if (watched[i].revents & POLLIN) Accept(listeners_[i]);
            }
            if (connection_ != nullptr && watched.size() > std::size_t(listener_count_) &&
                watched.back().revents != 0) {
                ReadClient();
            }
        }
        idle();
    }
    return true;
}

Status MiniSessionManager::Session::NewClient(SmsConn client, SmPointer self, unsigned long* mask,
                                              SmsCallbacks* callbacks, char**) {
    Session* manager = From(self);
    if (manager->client_ != nullptr) return 0;  // one client is all a test needs
    manager->client_ = client;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = RegisterClient;
    callbacks->register_client.manager_data = self;
    callbacks->save_yourself_done.callback = SaveYourselfDone;
    callbacks->save_yourself_done.manager_data = self;
    callbacks->close_connection.callback = CloseConnection;
    callbacks->close_connection.manager_data = self;
    FillQuietCallbacks(*callbacks, self);
    return 1;
}

Status MiniSessionManager::Session::RegisterClient(SmsConn client, SmPointer self,
                                                   char* previousId) {
    std::free(previousId);
    char* id = SmsGenerateClientID(client);
    if (id == nullptr) return 0;
    const Status status = SmsRegisterClientReply(client, id);
    std::free(id);
    From(self)->registered_ = status != 0;
    // A newly registered client is owed a first save of its own state.
    SmsSaveYourself(client, SmSaveLocal, False, SmInteractStyleNone, False);
    return status;
}

void MiniSessionManager::Session::SaveYourselfDone(SmsConn client, SmPointer self, Bool success) {
    Session* manager = From(self);
    ++manager->saves_done_;
    manager->last_save_ok_ = success != False;
    SmsSaveComplete(client);
}

void MiniSessionManager::Session::CloseConnection(SmsConn, SmPointer self, int count,
                                                  char** reasons) {
    SmFreeReasons(count, reasons);
    From(self)->client_closing_ = true;
}

void MiniSessionManager::Session::Accept(IceListenObj listener) {
    IceAcceptStatus accepted;
    IceConn connection = IceAcceptConnection(listener, &accepted);
    if (connection == nullptr || connection_ != nullptr) {
        if (connection != nullptr) IceCloseConnection(connection);
        return;
    }
    connection_ = connection;
    while (IceConnectionStatus(connection_) == IceConnectPending) {
        pollfd one{IceConnectionNumber(connection_), POLLIN, 0};
        if (::poll(&one, 1, 5000) <= 0 ||
            IceProcessMessages(connection_, nullptr, nullptr) != IceProcessMessagesSuccess) {
            break;
        }
    }
    if (IceConnectionStatus(connection_) != IceConnectAccepted) DropClient();
}

void MiniSessionManager::Session::ReadClient() {
    if (IceProcessMessages(connection_, nullptr, nullptr) != IceProcessMessagesSuccess ||
        client_closing_) {
        DropClient();
    }
}

void MiniSessionManager::Session::DropClient() {
    if (client_ != nullptr) SmsCleanUp(client_);
    client_ = nullptr;
    if (connection_ != nullptr) {
        IceSetShutdownNegotiation(connection_, False);
        IceCloseConnection(connection_);
    }
    connection_ = nullptr;
}
