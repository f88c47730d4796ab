#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The picture list IMG: every picture of the main window's image buttons, addressed by key
// ("create", "create-hyper", "start-showing", ...). The pictures are painted by the program
// itself at the screen's device pixel ratio, so they stay crisp at any display scaling.
namespace Pictures {

// The picture of `key` at `devicePixelRatio`; a null pixmap for an unknown key. Painted when
// it is first asked for, then kept until release().
QPixmap picture(const QString& key, qreal devicePixelRatio = 1.0);
// The size of the picture of `key` in device-independent pixels, without painting it; empty
// for an unknown key.
QSize size(const QString& key);
bool has(const QString& key);
QStringList keys();

// The main window's background (567 x 406): the name as artwork on a tab at the top left,
// a thin frame with curved corners around the page area.
QPixmap background(qreal devicePixelRatio = 1.0);

// Lets go of every picture painted so far, and of what painting left behind in the toolkit
// (while no window shows them, for example in the tray); each is painted again, the same,
// when it is next asked for.
void release();

// The program icon at the usual sizes (16 to 256 pixels). A size is painted when it is asked
// for and not kept: a tray icon and a window icon need one or two small sizes, rarely.
QIcon programIcon();

// The program icon painted at `size` x `size` pixels, for exporting it (e.g. as PNG).
QImage iconImage(int size);

} // namespace Pictures
