#include "response/search_beep.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

#include <chrono>

#include "qt_support/application_thread.h"
#include "response/tone.h"

namespace glimtap {

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr double kBeepHz = 2500;
constexpr milliseconds kBeepLength{50};
// Beeps sounding at once. A further one would only be heard as the same tone, and Qt 6.4's
// PulseAudio sink crashes now and then when dozens of sinks come and go together.
constexpr qsizetype kMostBeepsAtOnce = 4;

// Runs on the application thread. The sink, a child of the application, takes the tone's
// buffer with it when it has played out or failed.
void StartBeep() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application->findChildren<QAudioSink*>(Qt::FindDirectChildrenOnly).size() >=
        kMostBeepsAtOnce) {
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    const QAudioFormat format = device.preferredFormat();
    const QByteArray tone = MakeTone(format, kBeepHz, kBeepLength);
    if (tone.isEmpty()) return;

    auto* sink = new QAudioSink(device, format, application);
    auto* buffer = new QBuffer(sink);
    buffer->setData(tone);
    buffer->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [sink, format](QAudio::State state) {
        if (state == QAudio::StoppedState) {
            sink->deleteLater();
        } else if (state == QAudio::IdleState) {
            // Idle only says the tone has left our buffer: up to a buffer's worth of it is
            // still on its way to the speaker, and closing the sink now would cut it off.
            const auto queued = duration_cast<milliseconds>(
                microseconds(format.durationForBytes(sink->bufferSize())));
            QTimer::singleShot(queued + kBeepLength, sink, &QObject::deleteLater);
        }
    });
    sink->start(buffer);
    // A sink that refuses to start may not say so through stateChanged.
    if (sink->state() == QAudio::StoppedState) delete sink;
}

}  // namespace

void PlaySearchBeep() {
    PostToApplication(StartBeep);
}

}  // namespace glimtap
