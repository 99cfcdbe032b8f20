#pragma once

namespace glimtap {

// Qt's own warnings (a missing sound server, say) are no news to the user: what matters, the
// program says itself. From now on only a fatal message, Qt's last before it ends the
// program, reaches stderr, after the program's name.
void KeepQtMessagesQuiet();

}  // namespace glimtap
