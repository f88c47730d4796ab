#include "core/Prompt.h"

#include "core/ProgramEnd.h"

#include <QApplication>
#include <QMessageBox>

namespace {
// What every question answers once the program is ending: the user did not agree to anything.
Prompt::Answer neutral(Prompt::Buttons buttons)
{
    return buttons == Prompt::Buttons::YesNo ? Prompt::Answer::No : Prompt::Answer::Ok;
}

// While the program ends no box may wait for the user, whoever asks.
class EndingPrompt : public Prompt
{
public:
    Answer ask(const QString&, Icon, Buttons buttons) override { return neutral(buttons); }
};

Prompt*& installed()
{
    static Prompt* prompt = nullptr;
    return prompt;
}
} // namespace

Prompt& Prompt::current()
{
    static MessageBoxPrompt real;
    static EndingPrompt ending;
    if (ProgramEnd::begun())
        return ending;
    return installed() ? *installed() : real;
}

void Prompt::set(Prompt* prompt)
{
    installed() = prompt;
}

Prompt::Answer MessageBoxPrompt::ask(const QString& text, Icon icon, Buttons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption());
    box.setText(text);
    // Addresses and file names in a message can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
