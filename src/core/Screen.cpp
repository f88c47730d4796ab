#include "core/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
class PrimaryScreen : public Screen
{
public:
    QSize size() const override
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->size() : QSize(1024, 768);
    }
};

const Screen*& installed()
{
    static const Screen* screen = nullptr;
    return screen;
}
} // namespace

const Screen& Screen::current()
{
    static PrimaryScreen real;
    return installed() ? *installed() : real;
}

void Screen::set(const Screen* screen)
{
    installed() = screen;
}
