#pragma once

#include <QtGlobal>

// The program's one pseudo-random generator. It is never seeded, so every run draws the
// same sequence; its only consumers are the random message choice and the random place,
// in that order within a beat. Tests install a source that returns chosen values.
class RandomSource
{
public:
    static constexpr quint32 kStartState = 327680;

    virtual ~RandomSource() = default;

    // The next value r, 0 <= r < 1.
    virtual double next();

    quint32 state() const { return m_state; }
    // x <- (1140671485 x + 12820163) mod 2^24
    static constexpr quint32 step(quint32 x)
    {
        return quint32((quint64(x) * 1140671485u + 12820163u) & 0xFFFFFFu);
    }

    static RandomSource& current();
    static void set(RandomSource* source); // nullptr restores the program's own generator

private:
    quint32 m_state = kStartState;
};
