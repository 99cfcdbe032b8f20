#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "response/tone.h"

namespace glimtap {
namespace {

using std::chrono::milliseconds;

// A format an output device may ask for.
struct DeviceFormat {
    QAudioFormat::SampleFormat type;
    int rate;
    int channels;

    QAudioFormat ToQt() const {
        QAudioFormat format;
        format.setSampleFormat(type);
        format.setSampleRate(rate);
        format.setChannelCount(channels);
        return format;
    }
};

// "Int16_48000Hz_2ch", for test names and messages.
std::string Name(const DeviceFormat& format) {
    std::string type;
    switch (format.type) {
    case QAudioFormat::UInt8: type = "UInt8"; break;
    case QAudioFormat::Int16: type = "Int16"; break;
    case QAudioFormat::Int32: type = "Int32"; break;
    case QAudioFormat::Float: type = "Float"; break;
    default: type = "Unknown"; break;
    }
    return type + "_" + std::to_string(format.rate) + "Hz_" + std::to_string(format.channels) +
           "ch";
}

void PrintTo(const DeviceFormat& format, std::ostream* out) { *out << Name(format); }

template <typename T>
T Load(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The samples of one channel, scaled to -1..1.
std::vector<double> Channel(const QByteArray& pcm, const QAudioFormat& format, int channel) {
    std::vector<double> samples;
    for (qsizetype at = qsizetype{channel} * format.bytesPerSample(); at < pcm.size();
         at += format.bytesPerFrame()) {
        const char* sample = pcm.constData() + at;
        switch (format.sampleFormat()) {
        case QAudioFormat::UInt8:
            samples.push_back((Load<uint8_t>(sample) - 128.0) / 128);
            break;
        case QAudioFormat::Int16:
            samples.push_back(Load<int16_t>(sample) / 32768.0);
            break;
        case QAudioFormat::Int32:
            samples.push_back(Load<int32_t>(sample) / 2147483648.0);
            break;
        default:
            samples.push_back(Load<float>(sample));
            break;
        }
    }
    return samples;
}

int RisingZeroCrossings(const std::vector<double>& samples) {
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
    }
    return crossings;
}

class ToneFormats : public testing::TestWithParam<DeviceFormat> {};

TEST_P(ToneFormats, IsTheBeepInEveryChannel) {
    const QAudioFormat format = GetParam().ToQt();
    const QByteArray pcm = MakeTone(format, 2500, milliseconds{50});

    // 50 ms worth of frames, nothing more.
    const qsizetype frames = qsizetype{format.sampleRate()} / 20;
    ASSERT_EQ(pcm.size(), frames * format.bytesPerFrame());

    const std::vector<double> first = Channel(pcm, format, 0);
    // 2500 Hz for 50 ms is 125 periods.
    EXPECT_NEAR(RisingZeroCrossings(first), 125, 1);
    double peak = 0;
    for (double sample : first) peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 0.3);  // clearly audible
    EXPECT_LT(peak, 0.9);  // with room before clipping

    for (int channel = 1; channel < format.channelCount(); ++channel) {
        EXPECT_EQ(Channel(pcm, format, channel), first) << "channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceFormats, ToneFormats,
                         testing::Values(DeviceFormat{QAudioFormat::Int16, 44100, 1},
                                         DeviceFormat{QAudioFormat::Int16, 48000, 2},
                                         DeviceFormat{QAudioFormat::Int32, 48000, 2},
                                         DeviceFormat{QAudioFormat::Float, 48000, 2},
                                         DeviceFormat{QAudioFormat::Float, 22050, 1},
                                         DeviceFormat{QAudioFormat::UInt8, 8000, 1},
                                         DeviceFormat{QAudioFormat::Int16, 96000, 6}),
                         [](const auto& tested) { return Name(tested.param); });

TEST(Tone, UnusableFormatGivesNoSamples) {
    for (const DeviceFormat& format : {DeviceFormat{QAudioFormat::Unknown, 48000, 2},
                                       DeviceFormat{QAudioFormat::Int16, 0, 2},
                                       DeviceFormat{QAudioFormat::Int16, 48000, 0}}) {
        EXPECT_TRUE(MakeTone(format.ToQt(), 2500, milliseconds{50}).isEmpty()) << Name(format);
    }
}

}  // namespace
}  // namespace glimtap
