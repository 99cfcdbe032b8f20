#pragma once

#include <QAudioFormat>
#include <QByteArray>

#include <chrono>

namespace glimtap {

// PCM samples of a sine tone in `format`, every channel alike, at half of full scale so that
// a device's own rounding never clips it. Empty when the format has no rate, no channels or
// an unknown sample type.
QByteArray MakeTone(const QAudioFormat& format, double frequency_hz,
                    std::chrono::milliseconds duration);

}  // namespace glimtap
