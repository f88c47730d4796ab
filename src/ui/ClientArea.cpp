#include "ui/ClientArea.h"

#include "ui/Palette.h"
#include "ui/Pictures.h"

#include <QPainter>

ClientArea::ClientArea(QWidget* parent) : QWidget(parent)
{
    setFixedSize(570, 447);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Palette::background);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
}

void ClientArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Pictures::background(devicePixelRatioF()));
}
