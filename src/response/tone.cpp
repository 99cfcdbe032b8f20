#include "response/tone.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace glimtap {

namespace {

constexpr double kAmplitude = 0.5;

// Writes `value` (-1..1) at `out` as one sample of `sample_format`.
void PutSample(QAudioFormat::SampleFormat sample_format, double value, char* out) {
    switch (sample_format) {
    case QAudioFormat::UInt8: {
        const auto sample = static_cast<uint8_t>(std::lround(128 + value * 127));
        std::memcpy(out, &sample, sizeof sample);
        break;
    }
    case QAudioFormat::Int16: {
        const auto sample = static_cast<int16_t>(std::lround(value * INT16_MAX));
        std::memcpy(out, &sample, sizeof sample);
        break;
    }
    case QAudioFormat::Int32: {
        const auto sample = static_cast<int32_t>(std::lround(value * INT32_MAX));
        std::memcpy(out, &sample, sizeof sample);
        break;
    }
    case QAudioFormat::Float: {
        const auto sample = static_cast<float>(value);
        std::memcpy(out, &sample, sizeof sample);
        break;
    }
    case QAudioFormat::Unknown:
    case QAudioFormat::NSampleFormats:
        break;
    }
}

}  // namespace

QByteArray MakeTone(const QAudioFormat& format, double frequency_hz,
                    std::chrono::milliseconds duration) {
    const int rate = format.sampleRate();
    const int channels = format.channelCount();
    const int sample_bytes = format.bytesPerSample();
    if (rate <= 0 || channels <= 0 || sample_bytes <= 0) return {};

    const qsizetype frames = qsizetype{rate} * duration.count() / 1000;
    QByteArray pcm(frames * channels * sample_bytes, Qt::Uninitialized);
    char* out = pcm.data();
    for (qsizetype frame = 0; frame < frames; ++frame) {
        const double value = kAmplitude * std::sin(2 * std::numbers::pi * frequency_hz *
                                                   static_cast<double>(frame) / rate);
        for (int channel = 0; channel < channels; ++channel) {
            PutSample(format.sampleFormat(), value, out);
            out += sample_bytes;
        }
    }
    return pcm;
}

}  // namespace glimtap
