#include "core/Prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {
Prompt*& installed()
{
    static Prompt* prompt = nullptr;
    return prompt;
}
} // namespace

Prompt& Prompt::current()
{
    static MessageBoxPrompt real;
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
