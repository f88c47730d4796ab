#pragma once

#include "core/Prompt.h"

#include <QList>
#include <QString>

// Answers every message box at once and records what it was shown. OK boxes answer OK;
// questions take the next of `answers`, and No once those run out.
class RecordingPrompt : public Prompt
{
public:
    struct Shown
    {
        QString text;
        Icon icon;
        Buttons buttons;
    };
    QList<Shown> shown;
    QList<Answer> answers;

    Answer ask(const QString& text, Icon icon, Buttons buttons) override
    {
        shown.append({text, icon, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
};
