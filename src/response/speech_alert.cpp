#include "response/speech_alert.h"

#include <QString>
#include <QTextToSpeech>

#include <atomic>
#include <string>
#include <utility>

#include "response/application_thread.h"

namespace glimtap {

// The application-thread side of a speaker. Every member function but Broken runs on the
// application thread, in the order the speaker queued them. The engine is a child of the
// application, so it never outlives the event loop that drives it.
class SpeechVoice : public std::enable_shared_from_this<SpeechVoice> {
public:
    bool Broken() const { return broken_.load(); }

    void Open() {
        engine_ = new QTextToSpeech(QCoreApplication::instance());
        // No plug-in, or an engine that already knows nobody will hear it (no audio output):
        // the speaker is one that could not be built, silent for good. The text tells, not
        // errorReason, which a healthy engine of Qt 6.4 leaves at Initialization.
        if (engine_->state() == QTextToSpeech::Error || !engine_->errorString().isEmpty()) {
            delete engine_;
            engine_ = nullptr;
            broken_.store(true);
            return;
        }
        // The connections keep this voice alive as long as the engine.
        const auto reacted = [self = shared_from_this()] { self->OnEngineReacted(); };
        QObject::connect(engine_, &QTextToSpeech::stateChanged, engine_, reacted);
        QObject::connect(engine_, &QTextToSpeech::errorOccurred, engine_, reacted);
    }

    void Say(const QString& text) {
        if (engine_ == nullptr) return;
        // Set first: the engine may report a failure before say returns.
        awaiting_engine_ = true;
        engine_->say(text);
    }

    // The speaker is gone: end the engine once it has said what it was asked to.
    void Retire() {
        retired_ = true;
        if (engine_ != nullptr && Quiet()) {
            delete engine_;
            engine_ = nullptr;
        }
    }

private:
    bool Quiet() const { return !awaiting_engine_ && engine_->state() != QTextToSpeech::Speaking; }

    // Runs inside the engine's own signals, so the engine may only be deleted later.
    void OnEngineReacted() {
        awaiting_engine_ = false;
        if (retired_ && engine_ != nullptr && Quiet()) {
            engine_->deleteLater();
            engine_ = nullptr;
        }
    }

    std::atomic<bool> broken_{false};
    QTextToSpeech* engine_ = nullptr;
    bool awaiting_engine_ = false;  // said something the engine has not reacted to yet
    bool retired_ = false;
};

CSpeechAlert::CSpeechAlert() : voice_(std::make_shared<SpeechVoice>()) {
    if (!PostToApplication([voice = voice_] { voice->Open(); })) voice_.reset();
}

CSpeechAlert::~CSpeechAlert() {
    if (voice_ != nullptr) PostToApplication([voice = std::move(voice_)] { voice->Retire(); });
}

bool CSpeechAlert::Speak(std::u16string_view text) {
    if (text.empty() || voice_ == nullptr || voice_->Broken()) return false;
    return PostToApplication([voice = voice_, copy = std::u16string(text)] {
        voice->Say(QString::fromStdU16String(copy));
    });
}

}  // namespace glimtap
