#include "engine/run_tally.h"

#include <cstdio>

namespace glimtap {

void RunTally::CountTry() {
    ++tried_;
    if (settings_.beepForSearch != 0) beep_();
}

bool RunTally::SayStopped(Speaker& speaker) const {
    return settings_.speechAlerts != 0 && speaker.Speak(u"Stopped");
}

std::string RunTally::Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "Tried : %d, Matched : %d", tried_, matched_);
    return text;
}

}  // namespace glimtap
