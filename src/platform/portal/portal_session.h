#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend_set.h"
#include "platform/consent_memory.h"
#include "platform/portal/bus_thread.h"
#include "platform/portal/cast_streams.h"
#include "platform/portal/pipewire_cast.h"
#include "platform/portal/portal_offer.h"
#include "platform/portal/portal_request.h"
#include "platform/portal/start_results.h"

namespace glimtap::platform {

// Why a portal session cannot be had, as the user reads it.
inline constexpr const char* kUserDeclinedText =
    "the desktop's user did not allow Glimtap to see the screen";
inline constexpr const char* kCouldNotShareText = "the desktop could not share the screen: ";
inline constexpr const char* kStoppedSharingText = "the desktop stopped sharing the screen";
inline constexpr const char* kStreamEndedText = "the screen cast's PipeWire stream ended";
inline constexpr const char* kBusLostText = "the connection to the session bus was lost";

// A screen cast through the desktop portal and, when the program is to drive input, a
// remote-desktop session beside it: started when consent is first asked, kept while the
// program runs, started afresh when asked again after a refusal or a revocation. The screen
// cast persists, so its user consents once (the restore token); a remote-desktop session of
// version 1 cannot persist, so its dialog comes at each start, and only when input is wanted.
// Runs on a bus thread of its own; any thread may call.
class PortalSession {
public:
    // `memory` (may be null) keeps the restore token that spares the user the dialog next
    // time. Throws Unavailable when no session bus answers.
    PortalSession(const PortalOffer& offer, ConsentMemory* memory);
    // Closes the portal's session.
    ~PortalSession();
    PortalSession(const PortalSession&) = delete;
    PortalSession& operator=(const PortalSession&) = delete;

    Consent State() const;
    std::string Missing() const;
    // As BackendSet::WantInput, AskConsent and OnChanged.
    void WantInput(bool wanted) { inputWanted_ = wanted; }
    void Ask();
    void OnChanged(std::function<void()> changed);
    // Waits while the desktop asks its user, at most until `deadline`, and returns the frames
    // once consent is given; null otherwise.
    std::shared_ptr<const PipeWireCast> WaitForCast(
        std::chrono::steady_clock::time_point deadline) const;
    // Waits while consent stays given, at most until `deadline`: the desktop's word on why
    // the frames stopped comes a moment after they did.
    void WaitWhileGiven(std::chrono::steady_clock::time_point deadline) const;
    // The monitors shared, with their frames' sizes as far as known; none without consent.
    std::vector<CastStream> Streams() const;
    // The same monitors as the remote-desktop session numbers them, for input.
    std::vector<CastStream> InputStreams() const;
    // The devices the user let this program drive (kPortalPointer, kPortalTouch).
    uint32_t Devices() const;
    // When consent was given last.
    std::chrono::steady_clock::time_point GivenAt() const;
    // Calls RemoteDesktop's `method` on the session with empty options and then what
    // `arguments` appends, and waits for its reply; false when it failed or no session runs.
    bool Notify(const char* method, const Appender& arguments);

private:
    // On the bus thread:
    // `remote`: the remote-desktop session, else the screen cast.
    void Begin();
    void CreateSession(bool remote);
    void SelectSources(bool remote);
    void SelectDevices();
    void StartSession(bool remote);
    bool OpenRemote(const StartResults& results);
    // Ends the session with `state` and `missing`, unless it has ended already.
    void End(Consent state, const std::string& missing);
    bool Answered(uint32_t response, const std::string& error, const char* method);
    // An answer that runs `step` on the bus thread after sd-bus's dispatch has returned.
    RequestAnswer Later(RequestAnswer step);
    void WatchClosed(bool remote, const std::string& path);
    void CloseSessions();
    // Sets the state and tells the handler.
    void Settle(Consent state, const std::string& missing);

    const PortalOffer offer_;
    ConsentMemory* const memory_;
    mutable std::mutex mutex_;  // what follows up to the bus thread
    mutable std::condition_variable settled_;
    Consent state_ = Consent::kNotAsked;
    std::string missing_;
    std::shared_ptr<const PipeWireCast> cast_;
    std::vector<CastStream> streams_;
    std::vector<CastStream> inputStreams_;
    uint32_t devices_ = 0;
    std::chrono::steady_clock::time_point givenAt_;
    bool busLost_ = false;
    std::mutex changedMutex_;  // held while the handler runs
    std::function<void()> changed_;
    std::atomic<bool> inputWanted_{false};
    // The bus thread's own:
    bool askedInput_ = false;  // the session started last asks for input
    std::string castSession_;
    std::string remoteSession_;
    uint32_t generation_ = 0;   // changes when a session starts or ends
    std::string restoreToken_;  // sent with this session's sources
    std::unique_ptr<PortalRequest> request_;
    SlotHandle castClosed_;
    SlotHandle remoteClosed_;
    std::unique_ptr<BusThread> bus_;  // last: its thread goes first
};

}  // namespace glimtap::platform
