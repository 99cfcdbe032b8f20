#include "platform/backend_set.h"

namespace glimtap::platform {

std::string BackendSet::Summary() const {
    const std::string missing = Missing();
    return missing.empty() ? name_ : name_ + "; " + missing;
}

TouchInjector* BackendSet::Touch() {
    if (!touchTried_) {
        touchTried_ = true;
        touch_ = MakeTouch();
    }
    return touch_.get();
}

GlobalHotKey* BackendSet::HotKey() {
    if (!hotKeyTried_) {
        hotKeyTried_ = true;
        hotKey_ = MakeHotKey();
    }
    return hotKey_.get();
}

void BackendSet::CloseServices() {
    hotKey_.reset();
    touch_.reset();
    locks_.reset();
    pointer_.reset();
    launcher_.reset();
    desktop_.reset();
}

}  // namespace glimtap::platform
