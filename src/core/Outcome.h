#pragma once

#include <QString>
#include <utility>

// How a step that can fail says whether it worked and, if not, why. Every step of core,
// library, goals and settings that can fail returns an Outcome (or, when it also produces
// a value, a Produced<T>). `why()` is in words the user can be shown: the system's own
// words at the bottom ("No space left on device"), wrapped on the way up into a phrase
// that follows the name of what failed ("could not be written (No space left on device)").
// Only the UI turns an Outcome into a box; code below it never opens one.
class [[nodiscard]] Outcome
{
public:
    Outcome() = default; // it worked
    static Outcome failed(QString why)
    {
        Outcome outcome;
        outcome.m_failed = true;
        outcome.m_why = std::move(why);
        return outcome;
    }

    bool ok() const { return !m_failed; }
    const QString& why() const { return m_why; }

private:
    bool m_failed = false;
    QString m_why;
};

// The value a step produced, and whether it worked; `value` means nothing when it did not.
template <typename T>
struct [[nodiscard]] Produced
{
    T value{};
    Outcome outcome;

    bool ok() const { return outcome.ok(); }
    const QString& why() const { return outcome.why(); }
};
