#include "cli/run_desktop.h"

#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include <csignal>

#include "qt_support/application_thread.h"
#include "qt_support/signal_stop.h"
#include "response/audio_output.h"
#include "response/marker_surfaces_for.h"
#include "response/screen_markers.h"
#include "response/search_beep.h"
#include "response/speech_alert.h"

namespace glimtap::cli {
namespace {

// The Linux speech and beep are Qt objects that need Qt's loop as much as the markers do, so
// Qt's loop is the run's loop on Linux, with or without markers.
class QtRunDesktop : public RunDesktop {
public:
    QtRunDesktop(const SearchSettings& settings, platform::BackendSet& backends)
        : application_(StartApplication(settings, backends)),
          surfaces_(settings.overlayOnMatch != 0 ? MarkerSurfacesFor(backends) : nullptr),
          markers_(surfaces_.get()) {}

    bool Post(std::function<void()> work) override { return PostToApplication(std::move(work)); }
    MatchMarkers* Markers() override { return surfaces_ != nullptr ? &markers_ : nullptr; }
    std::unique_ptr<Speaker> MakeSpeaker() override { return std::make_unique<CSpeechAlert>(); }
    void Beep() override { PlaySearchBeep(); }
    bool Mute() override { return NoAudioOutput(); }

    void Exec(std::function<void()> stop) override {
        // SIGPIPE too: nobody reads what the run prints any more.
        const SignalStop stopOnSignal({SIGINT, SIGTERM, SIGPIPE}, [&stop](int) { stop(); });
        QCoreApplication::exec();
    }

    void Quit(std::chrono::milliseconds after) override {
        QTimer::singleShot(after, application_.get(), &QCoreApplication::quit);
    }

private:
    // One that shows windows on the desktop searched when the settings ask for markers, in
    // physical pixels as the window does; else one without any.
    std::unique_ptr<QCoreApplication> StartApplication(const SearchSettings& settings,
                                                       const platform::BackendSet& backends) {
        if (settings.overlayOnMatch == 0 || backends.Overlays() == platform::OverlaySurfaces::kNone) {
            return std::make_unique<QCoreApplication>(argc_, argv_);
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", backends.QtPlatform());
        }
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        return std::make_unique<QApplication>(argc_, argv_);
    }

    int argc_ = 1;
    char name_[12] = "glimtap-cli";
    char* argv_[2] = {name_, nullptr};
    const std::unique_ptr<QCoreApplication> application_;
    const std::unique_ptr<MarkerSurfaces> surfaces_;
    ScreenMarkers markers_;
};

}  // namespace

std::unique_ptr<RunDesktop> RunDesktop::Open(const SearchSettings& settings,
                                             platform::BackendSet& backends) {
    return std::make_unique<QtRunDesktop>(settings, backends);
}

bool OutputIsTerminal() { return ::isatty(STDOUT_FILENO) != 0; }

}  // namespace glimtap::cli
