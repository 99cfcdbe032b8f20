#include "platform/portal/portal_global_hot_key.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <utility>

namespace glimtap::platform {
// Named, since the portal's other files share one translation unit with these in a unity build.
namespace hot_key_calls {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kShortcutId = "start-stop";

struct UnrefMessage {
    void operator()(sd_bus_message* message) const noexcept { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, UnrefMessage>;

// The Request object that answers a call made with `token`: the portals' naming rule.
std::string RequestPath(sd_bus* bus, const std::string& token) {
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus, &unique) < 0 || unique[0] != ':') return "";
    std::string sender = unique + 1;
    std::replace(sender.begin(), sender.end(), '.', '_');
    return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

// Reads a variant holding a string (or an object path); false leaves it unread.
bool ReadVariantString(sd_bus_message* message, std::string& text) {
    for (const char* type : {"s", "o"}) {
        if (sd_bus_message_enter_container(message, 'v', type) <= 0) continue;
        const char* value = nullptr;
        if (sd_bus_message_read_basic(message, type[0], &value) < 0 ||
            sd_bus_message_exit_container(message) < 0) {
            return false;
        }
        text = value;
        return true;
    }
    return false;
}

// Walks the a{sv} the message is at: `read(key)` reads the value of a key it wants and
// returns true; other values are skipped. False when the message cannot be read.
template <typename Read>
bool ReadDictionary(sd_bus_message* message, Read read) {
    if (sd_bus_message_enter_container(message, 'a', "{sv}") <= 0) return false;
    for (;;) {
        const int entered = sd_bus_message_enter_container(message, 'e', "sv");
        if (entered < 0) return false;
        if (entered == 0) break;
        const char* key = nullptr;
        if (sd_bus_message_read_basic(message, 's', &key) < 0) return false;
        if (!read(std::string(key)) && sd_bus_message_skip(message, "v") < 0) return false;
        if (sd_bus_message_exit_container(message) < 0) return false;
    }
    return sd_bus_message_exit_container(message) >= 0;
}

// The trigger the desktop gives our shortcut in the a(sa{sv}) the message is at: "" when
// it has none; nothing when the list lacks the shortcut or cannot be read.
std::optional<std::string> TriggerOf(sd_bus_message* message) {
    std::optional<std::string> trigger;
    if (sd_bus_message_enter_container(message, 'a', "(sa{sv})") <= 0) return std::nullopt;
    for (;;) {
        const int entered = sd_bus_message_enter_container(message, 'r', "sa{sv}");
        if (entered < 0) return std::nullopt;
        if (entered == 0) break;
        const char* id = nullptr;
        if (sd_bus_message_read_basic(message, 's', &id) < 0) return std::nullopt;
        const bool ours = std::strcmp(id, kShortcutId) == 0;
        std::string description;
        const bool read = ReadDictionary(message, [&](const std::string& key) {
            return key == "trigger_description" && ReadVariantString(message, description);
        });
        if (!read || sd_bus_message_exit_container(message) < 0) return std::nullopt;
        if (ours) trigger = description;
    }
    if (sd_bus_message_exit_container(message) < 0) return std::nullopt;
    return trigger;
}

// Reads a variant holding the desktop's a(sa{sv}) of shortcuts into `trigger`.
bool ReadShortcuts(sd_bus_message* message, std::optional<std::string>& trigger) {
    if (sd_bus_message_enter_container(message, 'v', "a(sa{sv})") <= 0) return false;
    trigger = TriggerOf(message);
    return sd_bus_message_exit_container(message) >= 0;
}

// Our one shortcut as an a(sa{sv}).
bool AppendShortcut(sd_bus_message* message) {
    return sd_bus_message_open_container(message, 'a', "(sa{sv})") >= 0 &&
           sd_bus_message_open_container(message, 'r', "sa{sv}") >= 0 &&
           sd_bus_message_append(message, "sa{sv}", kShortcutId, 2, "description", "s",
                                 "Start/Stop search", "preferred_trigger", "s", "F6") >= 0 &&
           sd_bus_message_close_container(message) >= 0 &&
           sd_bus_message_close_container(message) >= 0;
}

// The request's answer: its code (0 granted) and results, left at the results.
uint32_t ResponseCode(sd_bus_message* message) {
    uint32_t response = 2;
    if (sd_bus_message_read_basic(message, 'u', &response) < 0) return 2;
    return response;
}

}  // namespace hot_key_calls

using namespace hot_key_calls;

std::unique_ptr<PortalGlobalHotKey> PortalGlobalHotKey::Open() {
    sd_bus* raw = nullptr;
    if (sd_bus_open_user(&raw) < 0) return nullptr;
    BusPtr bus(raw);
    uint32_t version = 0;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int got = sd_bus_get_property_trivial(bus.get(), kPortal, kPortalPath, kShortcuts,
                                                "version", &error, 'u', &version);
    sd_bus_error_free(&error);
    if (got < 0 || version < 1) return nullptr;
    return std::unique_ptr<PortalGlobalHotKey>(new PortalGlobalHotKey(std::move(bus)));
}

PortalGlobalHotKey::PortalGlobalHotKey(BusPtr bus)
    : bus_(std::move(bus)), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    server_ = std::thread([this] { Serve(); });
}

PortalGlobalHotKey::~PortalGlobalHotKey() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const uint64_t one = 1;
    (void)!write(wake_.Get(), &one, sizeof one);
    server_.join();
}

std::string PortalGlobalHotKey::GrabFirstFree() {
    const std::lock_guard lock(mutex_);
    if (!asked_) {
        asked_ = true;
        const uint64_t one = 1;
        (void)!write(wake_.Get(), &one, sizeof one);
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

void PortalGlobalHotKey::Serve() {
    bool started = false;
    bool lost = false;
    for (;;) {
        bool start = false;
        {
            const std::lock_guard lock(mutex_);
            if (stopping_) break;
            start = asked_ && !started;
        }
        if (start) {
            started = true;
            lost = !Start();
            if (lost) Tell("");
        }
        int processed = 0;
        while (!lost && (processed = sd_bus_process(bus_.get(), nullptr)) > 0) {
        }
        if (!lost && processed < 0) {
            // The key is gone with the connection.
            lost = true;
            if (started) Tell("");
        }
        int timeout = -1;
        uint64_t until = 0;
        if (!lost && sd_bus_get_timeout(bus_.get(), &until) >= 0 && until != UINT64_MAX) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1000000U +
                                   static_cast<uint64_t>(now.tv_nsec) / 1000U;
            timeout = until > nowUs ? static_cast<int>((until - nowUs + 999) / 1000) : 0;
        }
        pollfd fds[2] = {{lost ? -1 : sd_bus_get_fd(bus_.get()),
                          static_cast<short>(lost ? 0 : sd_bus_get_events(bus_.get())), 0},
                         {wake_.Get(), POLLIN, 0}};
        poll(fds, 2, timeout);
        uint64_t count = 0;
        (void)!read(wake_.Get(), &count, sizeof count);
    }
    if (!lost) CloseSession();
}

bool PortalGlobalHotKey::Start() {
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus_.get(), &raw, kPortal, kPortalPath, kShortcuts,
                                       "CreateSession") < 0) {
        return false;
    }
    const MessagePtr call(raw);
    sd_bus_message* m = call.get();
    // The shortcut goes along here too: KDE Plasma 5.27 takes it only from this call.
    const std::string token = "glimtap_keys_session";
    const bool built =
        sd_bus_message_open_container(m, 'a', "{sv}") >= 0 &&
        sd_bus_message_append(m, "{sv}", "handle_token", "s", token.c_str()) >= 0 &&
        sd_bus_message_append(m, "{sv}", "session_handle_token", "s", "glimtap") >= 0 &&
        sd_bus_message_open_container(m, 'e', "sv") >= 0 &&
        sd_bus_message_append(m, "s", "shortcuts") >= 0 &&
        sd_bus_message_open_container(m, 'v', "a(sa{sv})") >= 0 && AppendShortcut(m) &&
        sd_bus_message_close_container(m) >= 0 && sd_bus_message_close_container(m) >= 0 &&
        sd_bus_message_close_container(m) >= 0;
    return built && Ask(m, token, &PortalGlobalHotKey::SessionCreated);
}

bool PortalGlobalHotKey::Ask(sd_bus_message* call, const std::string& token,
                             sd_bus_message_handler_t answered) {
    // Listening before the call, so the answer cannot come first.
    sd_bus_slot* slot = nullptr;
    const std::string request = RequestPath(bus_.get(), token);
    if (request.empty() ||
        sd_bus_match_signal(bus_.get(), &slot, nullptr, request.c_str(),
                            "org.freedesktop.portal.Request", "Response", answered, this) < 0) {
        return false;
    }
    response_.reset(slot);
    const auto failed = [](sd_bus_message* reply, void* self, sd_bus_error*) {
        if (sd_bus_message_is_method_error(reply, nullptr)) {
            static_cast<PortalGlobalHotKey*>(self)->Tell("");
        }
        return 0;
    };
    return sd_bus_call_async(bus_.get(), nullptr, call, failed, this, 0) >= 0;
}

int PortalGlobalHotKey::SessionCreated(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    std::string session;
    std::optional<std::string> trigger;
    const bool read = ResponseCode(message) == 0 &&
                      ReadDictionary(message, [&](const std::string& name) {
                          if (name == "session_handle") return ReadVariantString(message, session);
                          return name == "shortcuts" && ReadShortcuts(message, trigger);
                      });
    sd_bus* bus = key.bus_.get();
    sd_bus_slot* activated = nullptr;
    sd_bus_slot* changed = nullptr;
    if (!read || session.empty() ||
        sd_bus_match_signal(bus, &activated, nullptr, kPortalPath, kShortcuts, "Activated",
                            &PortalGlobalHotKey::Activated, self) < 0 ||
        sd_bus_match_signal(bus, &changed, nullptr, kPortalPath, kShortcuts,
                            "ShortcutsChanged", &PortalGlobalHotKey::ShortcutsChanged,
                            self) < 0) {
        sd_bus_slot_unref(activated);
        sd_bus_slot_unref(changed);
        key.Tell("");
        return 0;
    }
    key.session_ = session;
    key.activated_.reset(activated);
    key.changed_.reset(changed);
    key.response_.reset();
    // A desktop that bound the shortcut with the session (KDE Plasma 5.27) would only open
    // its settings for a BindShortcuts.
    if (trigger) {
        key.Tell(*trigger);
        return 0;
    }
    sd_bus_message* raw = nullptr;
    if (sd_bus_message_new_method_call(bus, &raw, kPortal, kPortalPath, kShortcuts,
                                       "BindShortcuts") < 0) {
        key.Tell("");
        return 0;
    }
    const MessagePtr call(raw);
    sd_bus_message* m = call.get();
    const std::string token = "glimtap_keys_bind";
    const bool built =
        sd_bus_message_append(m, "o", session.c_str()) >= 0 && AppendShortcut(m) &&
        sd_bus_message_append(m, "sa{sv}", "", 1, "handle_token", "s", token.c_str()) >= 0;
    if (!built || !key.Ask(m, token, &PortalGlobalHotKey::ShortcutsBound)) key.Tell("");
    return 0;
}

int PortalGlobalHotKey::ShortcutsBound(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    std::optional<std::string> trigger;
    if (ResponseCode(message) == 0) {
        ReadDictionary(message, [&](const std::string& name) {
            return name == "shortcuts" && ReadShortcuts(message, trigger);
        });
    }
    key.response_.reset();
    key.Tell(trigger.value_or(""));
    return 0;
}

int PortalGlobalHotKey::Activated(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    const char* session = nullptr;
    const char* id = nullptr;
    if (sd_bus_message_read(message, "os", &session, &id) < 0 || key.session_ != session ||
        std::strcmp(id, kShortcutId) != 0) {
        return 0;
    }
    const std::lock_guard lock(key.mutex_);
    if (key.pressed_) key.pressed_();
    return 0;
}

int PortalGlobalHotKey::ShortcutsChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& key = *static_cast<PortalGlobalHotKey*>(self);
    const char* session = nullptr;
    if (sd_bus_message_read_basic(message, 'o', &session) < 0 || key.session_ != session) {
        return 0;
    }
    key.Tell(TriggerOf(message).value_or(""));
    return 0;
}

void PortalGlobalHotKey::Tell(const std::string& key) {
    const std::lock_guard lock(mutex_);
    key_ = key;
    if (bound_) bound_(key);
}

void PortalGlobalHotKey::CloseSession() {
    sd_bus_message* raw = nullptr;
    if (session_.empty() ||
        sd_bus_message_new_method_call(bus_.get(), &raw, kPortal, session_.c_str(),
                                       "org.freedesktop.portal.Session", "Close") < 0) {
        return;
    }
    const MessagePtr call(raw);
    // Sent as the connection closes; nobody waits for the answer.
    sd_bus_message_set_expect_reply(call.get(), 0);
    sd_bus_send(bus_.get(), call.get(), nullptr);
}

}  // namespace glimtap::platform
