#include "response/audio_output.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace glimtap {

bool NoAudioOutput() { return QMediaDevices::defaultAudioOutput().isNull(); }

}  // namespace glimtap
