#include "response/tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

namespace glimtap {
namespace {

// The sample at `at`, scaled to -1..1.
double Sample(const char* at, QAudioFormat::SampleFormat type) {
    union { uint8_t u8; int16_t i16; int32_t i32; float f; } v;
    std::memcpy(&v, at, type == QAudioFormat::UInt8 ? 1 : type == QAudioFormat::Int16 ? 2 : 4);
    return type == QAudioFormat::UInt8 ? (v.u8 - 128) / 128.0
         : type == QAudioFormat::Int16 ? v.i16 / 32768.0
         : type == QAudioFormat::Int32 ? v.i32 / 2147483648.0 : v.f;
}

TEST(Tone, IsTheBeepInEveryChannelOfEveryFormatADeviceMayAskFor) {
    using F = QAudioFormat;
    for (const auto& [type, rate, channels] : {std::tuple{F::Int16, 44100, 1}, {F::Int16, 96000, 6}, {F::Int32, 48000, 2},
                                               {F::Float, 22050, 2}, {F::UInt8, 8000, 1}, {F::Unknown, 48000, 2}, {F::Int16, 0, 2}}) {
        QAudioFormat format;
        format.setSampleFormat(type);
        format.setSampleRate(rate);
        format.setChannelCount(channels);
        SCOPED_TRACE(testing::Message() << type << " " << rate << " Hz " << channels << " channels");
        const QByteArray pcm = MakeTone(format, 2500, std::chrono::milliseconds{50});
        const qsizetype frames = type == F::Unknown ? 0 : qsizetype{rate} / 20;  // 50 ms, nothing more
        ASSERT_EQ(pcm.size(), frames * format.bytesPerFrame());
        int risingZeros = 0;
        double peak = 0, previous = 0;
        for (qsizetype i = 0; i < frames; ++i) {
            const char* frame = pcm.constData() + i * format.bytesPerFrame();
            for (int c = 1; c < channels; ++c)
                ASSERT_EQ(std::memcmp(frame, frame + c * format.bytesPerSample(), format.bytesPerSample()), 0);
            const double sample = Sample(frame, type);
            risingZeros += i > 0 && previous < 0 && sample >= 0;
            peak = std::max(peak, std::abs(sample));
            previous = sample;
        }
        if (frames == 0) continue;  // formats without samples give none
        EXPECT_NEAR(risingZeros, 125, 1);  // 2500 Hz for 50 ms
        EXPECT_GT(peak, 0.3);              // clearly audible
        EXPECT_LT(peak, 0.9);              // with room before clipping
    }
}

}  // namespace
}  // namespace glimtap
