#include "ui/Palette.h"

namespace Palette {

QString pageStyleSheet()
{
    return QStringLiteral(
        "QWidget { background-color: rgb(4, 64, 115); color: rgb(139, 198, 250);"
        " font-family: Verdana, 'DejaVu Sans'; font-size: 8pt; }"
        "QLabel[heading=\"true\"] { color: white; font-weight: bold; font-size: 9pt; }"
        "QGroupBox { border: 1px solid rgb(92, 140, 190); border-radius: 6px; margin-top: 8px;"
        " padding-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px;"
        " color: white; font-weight: bold; }"
        "QLineEdit, QPlainTextEdit, QComboBox, QTreeView, QListView {"
        " border: 1px solid rgb(92, 140, 190); background-color: rgb(12, 82, 140);"
        " selection-background-color: rgb(139, 198, 250); selection-color: rgb(4, 64, 115); }"
        "QLineEdit:disabled, QPlainTextEdit:disabled { color: rgb(110, 150, 190); }"
        "QHeaderView::section { background-color: rgb(20, 96, 160); color: white;"
        " border: 0px; padding: 2px 4px; }"
        "QCheckBox:disabled, QRadioButton:disabled { color: rgb(100, 140, 180); }");
}

} // namespace Palette
