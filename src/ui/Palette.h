#pragma once

#include "core/DesignFont.h"

#include <QColor>
#include <QString>

// The main window's colours and font, shared by every page.
namespace Palette {
inline const QColor background{4, 64, 115}; // 0x00734004
inline const QColor text{139, 198, 250};    // 0x00FAC68B
inline const QColor heading{255, 255, 255};
inline const QString fontFamily = QString::fromLatin1(kDesignFontFamily);

// The style sheet of a page: its background, labels, frames, lists and boxes.
QString pageStyleSheet();
} // namespace Palette
