#include "response/tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace glimtap {
namespace {

QAudioFormat Format(QAudioFormat::SampleFormat type, int rate, int channels) {
    QAudioFormat format;
    format.setSampleFormat(type);
    format.setSampleRate(rate);
    format.setChannelCount(channels);
    return format;
}

// Sample `index` of the tone, every channel scaled to -1..1.
std::vector<double> Frame(const QByteArray& pcm, const QAudioFormat& format, qsizetype index) {
    std::vector<double> channels;
    for (int c = 0; c < format.channelCount(); ++c) {
        const char* at = pcm.constData() + index * format.bytesPerFrame() + c * format.bytesPerSample();
        const auto load = [at](auto value) {
            std::memcpy(&value, at, sizeof value);
            return value;
        };
        switch (format.sampleFormat()) {
        case QAudioFormat::UInt8: channels.push_back((load(uint8_t{}) - 128.0) / 128); break;
        case QAudioFormat::Int16: channels.push_back(load(int16_t{}) / 32768.0); break;
        case QAudioFormat::Int32: channels.push_back(load(int32_t{}) / 2147483648.0); break;
        default: channels.push_back(load(float{})); break;
        }
    }
    return channels;
}

TEST(Tone, IsTheBeepInEveryChannelOfEveryFormatADeviceMayAskFor) {
    for (const QAudioFormat& format :
         {Format(QAudioFormat::Int16, 44100, 1), Format(QAudioFormat::Int16, 96000, 6),
          Format(QAudioFormat::Int32, 48000, 2), Format(QAudioFormat::Float, 22050, 1),
          Format(QAudioFormat::Float, 48000, 2), Format(QAudioFormat::UInt8, 8000, 1)}) {
        SCOPED_TRACE(testing::Message() << format.sampleFormat() << " " << format.sampleRate()
                                        << " Hz " << format.channelCount() << " channels");
        const QByteArray pcm = MakeTone(format, 2500, std::chrono::milliseconds{50});
        const qsizetype frames = qsizetype{format.sampleRate()} / 20;  // 50 ms, nothing more
        ASSERT_EQ(pcm.size(), frames * format.bytesPerFrame());
        int risingZeros = 0;
        double peak = 0;
        double previous = 0;
        for (qsizetype i = 0; i < frames; ++i) {
            const std::vector<double> frame = Frame(pcm, format, i);
            ASSERT_TRUE(std::all_of(frame.begin(), frame.end(), [&](double s) { return s == frame[0]; }));
            if (i > 0 && previous < 0 && frame[0] >= 0) ++risingZeros;
            peak = std::max(peak, std::abs(frame[0]));
            previous = frame[0];
        }
        EXPECT_NEAR(risingZeros, 125, 1);  // 2500 Hz for 50 ms
        EXPECT_GT(peak, 0.3);  // clearly audible
        EXPECT_LT(peak, 0.9);  // with room before clipping
    }
    // Formats without samples give none.
    EXPECT_TRUE(MakeTone(Format(QAudioFormat::Unknown, 48000, 2), 2500, std::chrono::milliseconds{50}).isEmpty());
    EXPECT_TRUE(MakeTone(Format(QAudioFormat::Int16, 0, 2), 2500, std::chrono::milliseconds{50}).isEmpty());
}

}  // namespace
}  // namespace glimtap
