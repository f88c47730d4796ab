#include "core/ProgramEnd.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace {
bool g_begun = false;
} // namespace

bool ProgramEnd::begun()
{
    return g_begun;
}

void ProgramEnd::begin()
{
    g_begun = true;
    // A dialog's own event loop would otherwise keep running after the main loop was asked
    // to quit (and before there is a main loop, nothing else would ever end it).
    QList<QPointer<QDialog>> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            open.append(dialog);
    }
    for (const QPointer<QDialog>& dialog : open) {
        if (dialog)
            dialog->reject();
    }
}

void ProgramEnd::reset()
{
    g_begun = false;
}
