#include "platform/portal/portal_global_hot_key.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/portal/portal_options.h"
#include "platform/unavailable.h"

namespace glimtap::platform {
namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kStartStopId = "start-stop";

// The trigger the desktop gives our shortcut in the a(sa{sv}) at `message`: "" when it has
// none; nothing when the list lacks the shortcut or cannot be read.
std::optional<std::string> StartStopTrigger(sd_bus_message* message) {
    std::optional<std::string> trigger;
    if (sd_bus_message_enter_container(message, 'a', "(sa{sv})") <= 0) return std::nullopt;
    int entered;
    while ((entered = sd_bus_message_enter_container(message, 'r', "sa{sv}")) > 0) {
        const char* id = nullptr;
        if (sd_bus_message_read(message, "s", &id) < 0) return std::nullopt;
        const bool ours = std::strcmp(id, kStartStopId) == 0;
        std::string description;
        const bool read = ForEachOption(message, [&](const std::string& key) {
            return key == "trigger_description" && ReadVariantText(message, description) ? 1 : 0;
        }) >= 0;
        if (!read || sd_bus_message_exit_container(message) < 0) return std::nullopt;
        if (ours) trigger = description;
    }
    if (entered < 0 || sd_bus_message_exit_container(message) < 0) return std::nullopt;
    return trigger;
}

// Reads a variant holding the desktop's a(sa{sv}) of shortcuts.
bool ReadShortcutList(sd_bus_message* message, std::optional<std::string>& trigger) {
    if (sd_bus_message_enter_container(message, 'v', "a(sa{sv})") <= 0) return false;
    trigger = StartStopTrigger(message);
    return sd_bus_message_exit_container(message) >= 0;
}

// Our one shortcut as an a(sa{sv}).
int AppendStartStop(sd_bus_message* message) {
    int result = sd_bus_message_open_container(message, 'a', "(sa{sv})");
    if (result >= 0) result = sd_bus_message_open_container(message, 'r', "sa{sv}");
    if (result >= 0) {
        result = sd_bus_message_append(message, "sa{sv}", kStartStopId, 2, "description", "s",
                                       "Start/Stop search", "preferred_trigger", "s", "F6");
    }
    if (result >= 0) result = sd_bus_message_close_container(message);
    if (result >= 0) result = sd_bus_message_close_container(message);
    return result;
}

}  // namespace

std::unique_ptr<PortalGlobalHotKey> PortalGlobalHotKey::Open() {
    try {
        return std::unique_ptr<PortalGlobalHotKey>(new PortalGlobalHotKey());
    } catch (const Unavailable&) {
        return nullptr;
    }
}

PortalGlobalHotKey::PortalGlobalHotKey()
    // The key goes with the connection.
    : bus_(std::make_unique<BusThread>([this] { Tell(""); })) {}

PortalGlobalHotKey::~PortalGlobalHotKey() {
    bus_->Run<bool>([this] {
        request_.reset();
        activated_.reset();
        changed_.reset();
        closed_.reset();
        if (!session_.empty()) {
            sd_bus_call_method_async(bus_->Bus(), nullptr, kPortalService, session_.c_str(),
                                     "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                                     "");
            sd_bus_flush(bus_->Bus());
        }
        return true;
    });
    bus_.reset();
}

std::string PortalGlobalHotKey::GrabFirstFree() {
    const std::lock_guard lock(mutex_);
    if (!asked_) {
        asked_ = true;
        bus_->Post([this] { CreateSession(); });
    }
    return key_.value_or("");
}

void PortalGlobalHotKey::OnPressed(Pressed pressed) {
    const std::lock_guard lock(mutex_);
    pressed_ = std::move(pressed);
}

void PortalGlobalHotKey::OnBound(Bound bound) {
    const std::lock_guard lock(mutex_);
    bound_ = std::move(bound);
}

void PortalGlobalHotKey::CreateSession() {
    sd_bus* bus = bus_->Bus();
    sd_bus_slot* activated = nullptr;
    sd_bus_slot* changed = nullptr;
    const int watched =
        std::min(sd_bus_match_signal(bus, &activated, kPortalService, kPortalPath,
                                     kGlobalShortcuts, "Activated", &Activated, this),
                 sd_bus_match_signal(bus, &changed, kPortalService, kPortalPath,
                                     kGlobalShortcuts, "ShortcutsChanged", &ShortcutsChanged,
                                     this));
    activated_.reset(activated);
    changed_.reset(changed);
    if (watched < 0) {
        Tell("");
        return;
    }
    // The shortcut goes along here too: KDE Plasma 5.27 takes it only from this call. The
    // session's token names it there, so it is the same at every start.
    const auto options = [](sd_bus_message* m) {
        int result = sd_bus_message_append(m, "{sv}", "session_handle_token", "s", "glimtap");
        if (result >= 0) result = sd_bus_message_open_container(m, 'e', "sv");
        if (result >= 0) result = sd_bus_message_append(m, "s", "shortcuts");
        if (result >= 0) result = sd_bus_message_open_container(m, 'v', "a(sa{sv})");
        if (result >= 0) result = AppendStartStop(m);
        if (result >= 0) result = sd_bus_message_close_container(m);
        if (result >= 0) result = sd_bus_message_close_container(m);
        return result;
    };
    request_ = std::make_unique<PortalRequest>(
        bus, kGlobalShortcuts, "CreateSession", [](sd_bus_message*) { return 0; }, options,
        [this](uint32_t response, sd_bus_message* results, const std::string&) {
            SessionCreated(response, results);
        });
}

void PortalGlobalHotKey::SessionCreated(uint32_t response, sd_bus_message* results) {
    std::optional<std::string> trigger;
    const bool read =
        response == 0 && ForEachOption(results, [&](const std::string& key) {
            if (key == "session_handle") return ReadVariantText(results, session_) ? 1 : 0;
            return key == "shortcuts" && ReadShortcutList(results, trigger) ? 1 : 0;
        }) >= 0;
    sd_bus_slot* closed = nullptr;
    if (!read || session_.empty() ||
        sd_bus_match_signal(bus_->Bus(), &closed, kPortalService, session_.c_str(),
                            "org.freedesktop.portal.Session", "Closed", &SessionClosed,
                            this) < 0) {
        Tell("");
        return;
    }
    closed_.reset(closed);
    if (trigger) {
        // Bound with the session: a BindShortcuts would only open the desktop's settings.
        Tell(*trigger);
    } else {
        Bind();
    }
}

void PortalGlobalHotKey::Bind() {
    const auto arguments = [this](sd_bus_message* m) {
        int result = sd_bus_message_append(m, "o", session_.c_str());
        if (result >= 0) result = AppendStartStop(m);
        if (result >= 0) result = sd_bus_message_append(m, "s", "");  // no parent window
        return result;
    };
    request_ = std::make_unique<PortalRequest>(
        bus_->Bus(), kGlobalShortcuts, "BindShortcuts", arguments,
        [](sd_bus_message*) { return 0; },
        [this](uint32_t response, sd_bus_message* results, const std::string&) {
            std::optional<std::string> trigger;
            if (response == 0) {
                ForEachOption(results, [&](const std::string& key) {
                    return key == "shortcuts" && ReadShortcutList(results, trigger) ? 1 : 0;
                });
            }
            Tell(trigger.value_or(""));
        });
}

int PortalGlobalHotKey::Activated(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    const char* session = nullptr;
    const char* id = nullptr;
    if (sd_bus_message_read(message, "os", &session, &id) >= 0 && key.session_ == session &&
        std::strcmp(id, kStartStopId) == 0) {
        const std::lock_guard lock(key.mutex_);
        if (key.pressed_) key.pressed_();
    }
    return 0;
}

int PortalGlobalHotKey::SessionClosed(sd_bus_message*, void* self, sd_bus_error*) {
    // The desktop ended the shortcut: its key does nothing now.
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    key.session_.clear();
    key.Tell("");
    return 0;
}

int PortalGlobalHotKey::ShortcutsChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    const char* session = nullptr;
    if (sd_bus_message_read(message, "o", &session) >= 0 && key.session_ == session) {
        key.Tell(StartStopTrigger(message).value_or(""));
    }
    return 0;
}

void PortalGlobalHotKey::Tell(const std::string& key) {
    const std::lock_guard lock(mutex_);
    key_ = key;
    if (bound_) bound_(key);
}

}  // namespace glimtap::platform
