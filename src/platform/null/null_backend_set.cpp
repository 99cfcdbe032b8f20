#include "platform/null/null_backend_set.h"

#include <utility>

#include "platform/report_failure.h"

namespace glimtap::platform {
namespace {

class NullDesktop : public Desktop {
public:
    Size VirtualScreenSize() const override { return {}; }
};

class NullLauncher : public Launcher {
public:
    explicit NullLauncher(std::string reason) : reason_(std::move(reason)) {}
    bool Launch(std::u16string_view, const std::filesystem::path&, std::string* error) override {
        return Fail(error, "nothing can be opened here: " + reason_);
    }

private:
    std::string reason_;
};

}  // namespace

NullBackendSet::NullBackendSet(std::string reason) : BackendSet("null", reason) {
    desktop_ = std::make_unique<NullDesktop>();
    launcher_ = std::make_unique<NullLauncher>(std::move(reason));
}

}  // namespace glimtap::platform
