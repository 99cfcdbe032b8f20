#include "response/speech_alert.h"

#include <QCoreApplication>
#include <QString>
#include <QTextToSpeech>

#include <string>

#include "qt_support/application_thread.h"

namespace glimtap {

namespace {

constexpr QLatin1String kEngineName("glimtap-speech-engine");

// The application's one speech engine, a child of the application made on first use; null
// when no engine can be heard. Application thread only. Every speaker shares it: Qt 6.4's
// flite plug-in shares one synthesiser between engines and crashes once one of two engines
// is destroyed, and a second engine would not talk over the first anyway.
QTextToSpeech* ApplicationEngine() {
    QCoreApplication* application = QCoreApplication::instance();
    auto* engine =
        application->findChild<QTextToSpeech*>(kEngineName, Qt::FindDirectChildrenOnly);
    if (engine != nullptr) return engine;
    engine = new QTextToSpeech(application);
    // No plug-in, or an engine that already knows nobody will hear it (no audio output). The
    // text tells, not errorReason, which a healthy engine of Qt 6.4 leaves at Initialization.
    // Dropped at once, so the next speaker tries afresh and no two engines ever coexist.
    if (engine->state() == QTextToSpeech::Error || !engine->errorString().isEmpty()) {
        delete engine;
        return nullptr;
    }
    engine->setObjectName(kEngineName);
    return engine;
}

}  // namespace

CSpeechAlert::CSpeechAlert() : unheard_(std::make_shared<std::atomic<bool>>(false)) {
    // Made now, as the speaker is, so the answer is known before the first text.
    const bool posted = PostToApplication([unheard = unheard_] {
        if (ApplicationEngine() == nullptr) unheard->store(true);
    });
    if (!posted) unheard_->store(true);
}

bool CSpeechAlert::Speak(std::u16string_view text) {
    if (text.empty() || unheard_->load()) return false;
    return PostToApplication([copy = std::u16string(text)] {
        if (QTextToSpeech* engine = ApplicationEngine()) {
            engine->say(QString::fromStdU16String(copy));
        }
    });
}

}  // namespace glimtap
