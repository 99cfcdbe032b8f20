#include "response/tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace glimtap {
namespace {

QAudioFormat Format(QAudioFormat::SampleFormat type, int rate, int channels) {
    QAudioFormat format;
    format.setSampleFormat(type);
    format.setSampleRate(rate);
    format.setChannelCount(channels);
    return format;
}

template <typename T>
double Load(const char* at, double scale, double offset = 0) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return (value - offset) / scale;
}

// The sample at `at`, scaled to -1..1.
double Sample(const char* at, QAudioFormat::SampleFormat type) {
    switch (type) {
    case QAudioFormat::UInt8: return Load<uint8_t>(at, 128, 128);
    case QAudioFormat::Int16: return Load<int16_t>(at, 32768);
    case QAudioFormat::Int32: return Load<int32_t>(at, 2147483648.0);
    default: return Load<float>(at, 1);
    }
}

TEST(Tone, IsTheBeepInEveryChannelOfEveryFormatADeviceMayAskFor) {
    for (const QAudioFormat& format :
         {Format(QAudioFormat::Int16, 44100, 1), Format(QAudioFormat::Int16, 96000, 6),
          Format(QAudioFormat::Int32, 48000, 2), Format(QAudioFormat::Float, 22050, 1),
          Format(QAudioFormat::Float, 48000, 2), Format(QAudioFormat::UInt8, 8000, 1)}) {
        SCOPED_TRACE(testing::Message() << format.sampleFormat() << " " << format.sampleRate() << " Hz "
                                        << format.channelCount() << " channels");
        const QByteArray pcm = MakeTone(format, 2500, std::chrono::milliseconds{50});
        const qsizetype frames = qsizetype{format.sampleRate()} / 20;  // 50 ms, nothing more
        ASSERT_EQ(pcm.size(), frames * format.bytesPerFrame());
        int risingZeros = 0;
        double peak = 0, previous = 0;
        for (qsizetype i = 0; i < frames; ++i) {
            const char* frame = pcm.constData() + i * format.bytesPerFrame();
            for (int c = 1; c < format.channelCount(); ++c) {
                ASSERT_EQ(std::memcmp(frame, frame + c * format.bytesPerSample(), format.bytesPerSample()), 0);
            }
            const double sample = Sample(frame, format.sampleFormat());
            risingZeros += i > 0 && previous < 0 && sample >= 0;
            peak = std::max(peak, std::abs(sample));
            previous = sample;
        }
        EXPECT_NEAR(risingZeros, 125, 1);  // 2500 Hz for 50 ms
        EXPECT_GT(peak, 0.3);              // clearly audible
        EXPECT_LT(peak, 0.9);              // with room before clipping
    }
    // Formats without samples give none.
    EXPECT_TRUE(MakeTone(Format(QAudioFormat::Unknown, 48000, 2), 2500, std::chrono::milliseconds{50}).isEmpty());
    EXPECT_TRUE(MakeTone(Format(QAudioFormat::Int16, 0, 2), 2500, std::chrono::milliseconds{50}).isEmpty());
}

}  // namespace
}  // namespace glimtap
