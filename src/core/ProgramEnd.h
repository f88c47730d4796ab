#pragma once

// Whether the program was told to end from outside (a termination signal, the end of the
// desktop session). From then on nothing may wait for the user: every dialog that is open
// closes at once, and a box asked for later is never shown.
class ProgramEnd
{
public:
    static bool begun();
    // Idempotent. Rejects every visible dialog, which also returns from its exec().
    static void begin();
    // Tests that end the program more than once in one process.
    static void reset();
};
