#include "ui/Palette.h"

namespace Palette {

QString pageStyleSheet()
{
    return QStringLiteral(
               "QWidget { background-color: rgb(4, 64, 115); color: rgb(139, 198, 250);"
               " font-family: %1, '%2'; font-size: 8pt; }"
               "QLabel[heading=\"true\"] { color: white; font-weight: bold; font-size: 9pt; }"
               "QGroupBox { border: 1px solid rgb(92, 140, 190); border-radius: 6px; margin-top: "
               "8px;"
               " padding-top: 6px; }"
               "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px;"
               " color: white; font-weight: bold; }"
               "QLineEdit, QPlainTextEdit, QComboBox, QTableView, QListView {"
               " border: 1px solid rgb(92, 140, 190); background-color: rgb(12, 82, 140);"
               " selection-background-color: rgb(139, 198, 250); selection-color: rgb(4, 64, 115); "
               "}"
               "QLineEdit:disabled, QPlainTextEdit:disabled { color: rgb(110, 150, 190); }"
               "QHeaderView::section { background-color: rgb(20, 96, 160); color: white;"
               " border: 0px; padding: 2px 4px; }"
               "QCheckBox:disabled, QRadioButton:disabled { color: rgb(100, 140, 180); }"
               "QCheckBox::indicator { width: 11px; height: 11px; border: 1px solid rgb(139, 198, "
               "250);"
               " background-color: rgb(12, 82, 140); }"
               "QCheckBox::indicator:checked { background-color: rgb(139, 198, 250);"
               " border: 2px solid rgb(12, 82, 140); outline: 1px solid rgb(139, 198, 250); }"
               "QCheckBox::indicator:disabled { border-color: rgb(90, 125, 165); }"
               "QScrollBar:vertical { background: rgb(12, 82, 140); width: 12px; margin: 0; "
               "border: 0; }"
               "QScrollBar:horizontal { background: rgb(12, 82, 140); height: 12px; margin: 0; "
               "border: 0; "
               "}"
               "QScrollBar::handle { background: rgb(92, 140, 190); border-radius: 4px; margin: "
               "2px;"
               " min-height: 18px; min-width: 18px; }"
               "QScrollBar::handle:hover { background: rgb(139, 198, 250); }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: 0; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
        .arg(QLatin1String(kDesignFontFamily), QLatin1String(kDesignFontStandIn));
}

} // namespace Palette
