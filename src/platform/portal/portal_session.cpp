#include "platform/portal/portal_session.h"

#include <fcntl.h>

#include <cstring>
#include <utility>

namespace glimtap::platform {
namespace {

constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
// A stream's end shortly followed by the session's Closed is the desktop's revocation.
constexpr std::chrono::milliseconds kStreamEndGrace{300};
constexpr uint64_t kInputCallTimeoutUs = 5'000'000;

int AppendNothing(sd_bus_message*) { return 0; }

}  // namespace

PortalSession::PortalSession(const PortalOffer& offer, ConsentMemory* memory)
    : offer_(offer), memory_(memory), bus_(std::make_unique<BusThread>([this] {
          {
              const std::lock_guard lock(mutex_);
              busLost_ = true;
          }
          End(State() == Consent::kGiven ? Consent::kRevoked : Consent::kRefused, kBusLostText);
      })) {}

PortalSession::~PortalSession() {
    // The frames go first: their end reaches the bus thread.
    bus_->Run<bool>([this] {
        request_.reset();
        castClosed_.reset();
        remoteClosed_.reset();
        CloseSessions();
        const std::lock_guard lock(mutex_);
        cast_.reset();
        return true;
    });
    bus_.reset();
}

Consent PortalSession::State() const {
    const std::lock_guard lock(mutex_);
    return state_;
}

std::string PortalSession::Missing() const {
    const std::lock_guard lock(mutex_);
    return missing_;
}

std::shared_ptr<const PipeWireCast> PortalSession::WaitForCast(
    std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    settled_.wait_until(lock, deadline, [this] { return state_ != Consent::kAsking; });
    return state_ == Consent::kGiven ? cast_ : nullptr;
}

void PortalSession::WaitWhileGiven(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    settled_.wait_until(lock, deadline, [this] { return state_ != Consent::kGiven; });
}

std::vector<CastStream> PortalSession::Streams() const {
    std::vector<CastStream> streams;
    std::shared_ptr<const PipeWireCast> cast;
    {
        const std::lock_guard lock(mutex_);
        if (state_ != Consent::kGiven) return {};
        streams = streams_;
        cast = cast_;
    }
    const std::vector<Size> sizes = cast->FrameSizes();
    for (size_t i = 0; i < streams.size() && i < sizes.size(); ++i) streams[i].pixels = sizes[i];
    return streams;
}

std::vector<CastStream> PortalSession::InputStreams() const {
    const std::vector<CastStream> shown = Streams();
    std::vector<CastStream> streams;
    {
        const std::lock_guard lock(mutex_);
        streams = inputStreams_;
    }
    // The same monitor shows the same pixels in both sessions.
    for (CastStream& stream : streams) {
        for (const CastStream& same : shown) {
            if (same.logical == stream.logical) stream.pixels = same.pixels;
        }
    }
    return streams;
}

uint32_t PortalSession::Devices() const {
    const std::lock_guard lock(mutex_);
    return state_ == Consent::kGiven ? devices_ : 0;
}

std::chrono::steady_clock::time_point PortalSession::GivenAt() const {
    const std::lock_guard lock(mutex_);
    return givenAt_;
}

void PortalSession::OnChanged(std::function<void()> changed) {
    const std::lock_guard lock(changedMutex_);
    changed_ = std::move(changed);
}

void PortalSession::Settle(Consent state, const std::string& missing) {
    {
        const std::lock_guard lock(mutex_);
        state_ = state;
        missing_ = missing;
        if (state != Consent::kGiven) cast_.reset();
        if (state == Consent::kGiven) givenAt_ = std::chrono::steady_clock::now();
        settled_.notify_all();
    }
    const std::lock_guard lock(changedMutex_);
    if (changed_) changed_();
}

void PortalSession::Ask() {
    bool lost;
    {
        const std::lock_guard lock(mutex_);
        if (state_ == Consent::kAsking || state_ == Consent::kGiven) return;
        lost = busLost_;
    }
    if (lost) {
        Settle(Consent::kRefused, kBusLostText);
        return;
    }
    Settle(Consent::kAsking, "");
    bus_->Post([this, input = inputWanted_.load()] {
        askedInput_ = input && offer_.remoteDesktop != 0;
        Begin();
    });
}

bool PortalSession::Answered(uint32_t response, const std::string& error, const char* method) {
    if (response == 0) return true;
    // The portal refuses a remembered token that has gone stale; the next start asks afresh.
    if (!restoreToken_.empty() && memory_ != nullptr) memory_->Remember("");
    if (response == 1) {
        End(Consent::kRefused, kUserDeclinedText);
    } else {
        End(Consent::kRefused,
            kCouldNotShareText + (error.empty()
                                      ? std::string("the portal ended its ") + method + " request"
                                      : error));
    }
    return false;
}

RequestAnswer PortalSession::Later(RequestAnswer step) {
    return [this, step = std::move(step), generation = generation_](
               uint32_t response, sd_bus_message* results, const std::string& error) {
        auto held = std::make_shared<MessageHandle>(results != nullptr ? sd_bus_message_ref(results)
                                                                       : nullptr);
        bus_->Post([this, step, response, held, error, generation] {
            // Not once the session has ended or started afresh.
            if (generation == generation_) step(response, held->get(), error);
        });
    };
}

void PortalSession::Begin() {
    CloseSessions();
    ++generation_;
    CreateSession(false);
}

void PortalSession::CreateSession(bool remote) {
    const std::string token = NewPortalToken();
    WatchClosed(remote, PortalHandlePath(bus_->Bus(), "session", token));
    request_ = std::make_unique<PortalRequest>(
        bus_->Bus(), remote ? kRemoteDesktop : kScreenCast, "CreateSession", AppendNothing,
        [token](sd_bus_message* m) {
            return sd_bus_message_append(m, "{sv}", "session_handle_token", "s", token.c_str());
        },
        Later([this, token, remote](uint32_t response, sd_bus_message* results,
                                    const std::string& error) {
            if (!Answered(response, error, "CreateSession")) return;
            std::string handle = ReadSessionHandle(results);
            if (handle.empty()) handle = PortalHandlePath(bus_->Bus(), "session", token);
            WatchClosed(remote, handle);
            (remote ? remoteSession_ : castSession_) = handle;
            SelectSources(remote);
        }));
}

void PortalSession::SelectSources(bool remote) {
    // Only the screen cast persists: version 1 of the remote desktop refuses to.
    const bool persist = !remote && offer_.screenCast >= 4;
    restoreToken_ = persist && memory_ != nullptr ? memory_->Recall() : "";
    const std::string& session = remote ? remoteSession_ : castSession_;
    request_ = std::make_unique<PortalRequest>(
        bus_->Bus(), kScreenCast, "SelectSources",
        [&session](sd_bus_message* m) { return sd_bus_message_append(m, "o", session.c_str()); },
        [this, persist](sd_bus_message* m) {
            int result = sd_bus_message_append(m, "{sv}{sv}", "types", "u", 1u, "multiple", "b", 1);
            // The cursor never in the picture, where it can be left out.
            if (result >= 0 && (offer_.cursorModes & 1) != 0) {
                result = sd_bus_message_append(m, "{sv}", "cursor_mode", "u", 1u);
            }
            if (result >= 0 && persist) {
                result = sd_bus_message_append(m, "{sv}", "persist_mode", "u", 2u);
            }
            if (result >= 0 && !restoreToken_.empty()) {
                result =
                    sd_bus_message_append(m, "{sv}", "restore_token", "s", restoreToken_.c_str());
            }
            return result;
        },
        Later([this, remote](uint32_t response, sd_bus_message*, const std::string& error) {
            if (!Answered(response, error, "SelectSources")) return;
            if (remote) {
                SelectDevices();
            } else {
                StartSession(false);
            }
        }));
}

void PortalSession::SelectDevices() {
    const uint32_t devices = offer_.deviceTypes & (kPortalPointer | kPortalTouch);
    request_ = std::make_unique<PortalRequest>(
        bus_->Bus(), kRemoteDesktop, "SelectDevices",
        [this](sd_bus_message* m) { return sd_bus_message_append(m, "o", remoteSession_.c_str()); },
        [devices](sd_bus_message* m) {
            return sd_bus_message_append(m, "{sv}", "types", "u", devices);
        },
        Later([this](uint32_t response, sd_bus_message*, const std::string& error) {
            if (Answered(response, error, "SelectDevices")) StartSession(true);
        }));
}

void PortalSession::StartSession(bool remote) {
    const std::string& session = remote ? remoteSession_ : castSession_;
    request_ = std::make_unique<PortalRequest>(
        bus_->Bus(), remote ? kRemoteDesktop : kScreenCast, "Start",
        [&session](sd_bus_message* m) {
            return sd_bus_message_append(m, "os", session.c_str(), "");
        },
        AppendNothing,
        Later([this, remote](uint32_t response, sd_bus_message* results, const std::string& error) {
            if (!Answered(response, error, "Start")) return;
            StartResults started;
            if (!ReadStartResults(results, started) || started.streams.empty()) {
                End(Consent::kRefused,
                    std::string(kCouldNotShareText) + "the portal shared no monitor");
                return;
            }
            if (remote) {
                const std::lock_guard lock(mutex_);
                inputStreams_ = std::move(started.streams);
                devices_ = started.devices;
            } else {
                if (!started.restoreToken.empty() && memory_ != nullptr) {
                    memory_->Remember(started.restoreToken);
                }
                restoreToken_.clear();
                if (!OpenRemote(started)) return;
                if (askedInput_) {
                    CreateSession(true);
                    return;
                }
            }
            request_.reset();
            Settle(Consent::kGiven, "");
        }));
}

bool PortalSession::OpenRemote(const StartResults& results) {
    BusError error;
    sd_bus_message* raw = nullptr;
    int result = sd_bus_call_method(bus_->Bus(), kPortalService, kPortalPath, kScreenCast,
                                    "OpenPipeWireRemote", error.get(), &raw, "oa{sv}",
                                    castSession_.c_str(), 0);
    const MessageHandle reply(raw);
    int fd = -1;
    if (result >= 0) result = sd_bus_message_read(raw, "h", &fd);
    // The reply owns its descriptor.
    if (result >= 0) fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (result < 0 || fd < 0) {
        End(Consent::kRefused, kCouldNotShareText + std::string("OpenPipeWireRemote failed: ") +
                                   (error.IsSet() ? error.Message() : std::strerror(-result)));
        return false;
    }
    std::vector<uint32_t> nodes;
    for (const CastStream& stream : results.streams) nodes.push_back(stream.node);
    auto cast =
        std::make_shared<const PipeWireCast>(UniqueFd(fd), nodes, [this, generation = generation_] {
            bus_->Post(
                [this, generation] {
                    if (generation == generation_) End(Consent::kRevoked, kStreamEndedText);
                },
                kStreamEndGrace);
        });
    if (!cast->Connected()) {
        End(Consent::kRefused,
            std::string(kCouldNotShareText) + "cannot connect to its PipeWire remote");
        return false;
    }
    const std::lock_guard lock(mutex_);
    cast_ = std::move(cast);
    streams_ = results.streams;
    devices_ = 0;
    inputStreams_.clear();
    return true;
}

void PortalSession::WatchClosed(bool remote, const std::string& path) {
    sd_bus_slot* slot = nullptr;
    const auto closed = [](sd_bus_message* m, void* self, sd_bus_error*) {
        auto* session = static_cast<PortalSession*>(self);
        const char* closedPath = sd_bus_message_get_path(m);
        // After sd-bus's dispatch, which must not lose the match it runs.
        session->bus_->Post(
            [session, closed = std::string(closedPath != nullptr ? closedPath : "")] {
                // Closed already: nothing to close.
                for (std::string* handle : {&session->castSession_, &session->remoteSession_}) {
                    if (*handle == closed) handle->clear();
                }
                session->End(
                    session->State() == Consent::kGiven ? Consent::kRevoked : Consent::kRefused,
                    kStoppedSharingText);
            });
        return 0;
    };
    sd_bus_match_signal(bus_->Bus(), &slot, kPortalService, path.c_str(),
                        "org.freedesktop.portal.Session", "Closed", closed, this);
    (remote ? remoteClosed_ : castClosed_).reset(slot);
}

void PortalSession::End(Consent state, const std::string& missing) {
    const Consent now = State();
    if (now != Consent::kAsking && now != Consent::kGiven) return;
    // Revoked only what was given; a stream's end while asking is a refusal.
    if (now == Consent::kAsking && state == Consent::kRevoked) state = Consent::kRefused;
    ++generation_;
    request_.reset();
    castClosed_.reset();
    remoteClosed_.reset();
    CloseSessions();
    Settle(state, missing);
}

void PortalSession::CloseSessions() {
    for (std::string* session : {&castSession_, &remoteSession_}) {
        if (session->empty()) continue;
        sd_bus_call_method_async(bus_->Bus(), nullptr, kPortalService, session->c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
        session->clear();
    }
    sd_bus_flush(bus_->Bus());
}

bool PortalSession::Notify(const char* method, const Appender& arguments) {
    return bus_->Run<bool>([&] {
        if (remoteSession_.empty() || State() != Consent::kGiven) return false;
        sd_bus_message* raw = nullptr;
        int result = sd_bus_message_new_method_call(bus_->Bus(), &raw, kPortalService, kPortalPath,
                                                    kRemoteDesktop, method);
        const MessageHandle call(raw);
        if (result >= 0) result = sd_bus_message_append(raw, "oa{sv}", remoteSession_.c_str(), 0);
        if (result >= 0) result = arguments(raw);
        BusError error;
        if (result >= 0) {
            result = sd_bus_call(bus_->Bus(), raw, kInputCallTimeoutUs, error.get(), nullptr);
        }
        return result >= 0;
    });
}

}  // namespace glimtap::platform
