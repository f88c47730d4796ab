#pragma once

// Under a Wayland session with an X server at hand (Xwayland), the program runs on X11:
// there the message window can stay above every other window without taking the focus,
// which Wayland does not let an ordinary client do. A platform the user chose through
// QT_QPA_PLATFORM is kept. Call before the QApplication is made.
void choosePlatformBeforeQApplication();
