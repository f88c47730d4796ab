#pragma once

#include <QString>

// Message boxes and questions. Every box carries the application title as its caption.
// Tests install a fake that answers and records what it was shown.
class Prompt
{
public:
    enum class Icon { None, Critical, Exclamation, Information };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Prompt() = default;
    virtual Answer ask(const QString& text, Icon icon, Buttons buttons) = 0;

    static Prompt& current();
    static void set(Prompt* prompt); // nullptr restores the real message boxes
    static QString caption() { return QStringLiteral("Zentrivo"); }
};

// The real one: a modal QMessageBox. Once the program ends, current() hands out a prompt that
// shows nothing and declines; a box that was open is closed, which declines as well.
class MessageBoxPrompt : public Prompt
{
public:
    Answer ask(const QString& text, Icon icon, Buttons buttons) override;
};
