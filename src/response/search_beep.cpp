#include "response/search_beep.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

#include <chrono>

#include "response/application_thread.h"
#include "response/tone.h"

namespace glimtap {

namespace {

constexpr double kBeepHz = 2500;
constexpr std::chrono::milliseconds kBeepLength{50};

// Runs on the application thread. The sink, a child of the application, takes the tone's
// buffer with it when it has played out or failed.
void StartBeep() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    const QAudioFormat format = device.preferredFormat();
    const QByteArray tone = MakeTone(format, kBeepHz, kBeepLength);
    if (tone.isEmpty()) return;

    auto* sink = new QAudioSink(device, format, QCoreApplication::instance());
    auto* buffer = new QBuffer(sink);
    buffer->setData(tone);
    buffer->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [sink](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) sink->deleteLater();
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
