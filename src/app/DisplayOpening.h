#pragma once

// Opening the display happens inside QApplication's constructor, and when it fails Qt prints
// several lines and aborts. While the constructor runs, Qt's messages are held back: a
// platform that cannot start ends the program with one line of its own and status 1, and
// anything else is passed on once the application stands.
class DisplayOpening
{
public:
    static void begin(); // right before QApplication is constructed
    static void end();   // right after
};
