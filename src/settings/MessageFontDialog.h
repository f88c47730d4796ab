#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QPushButton;
struct DisplaySettings;

// The chooser of the message font: face, bold, italic, size in points, strikeout, underline
// and colour, with a preview. The main window keeps one for the whole run. Every opening
// starts from the message font in use, which a confirmed choice has become, so the last
// confirmed state is what the next opening shows.
class MessageFontDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MessageFontDialog(QWidget* parent = nullptr);

    // Modal, opening on `font` and `color`. True when the user confirmed; they then hold the
    // choice. Cancel leaves both as they were. The face is the font's family() exactly as
    // given, also one this system lacks.
    bool ShowFont(QFont& font, QColor& color);

    // All of the font command: opens on the font in use and, when the user confirms, makes
    // the choice the font in use. True when confirmed. Stores nothing: the settings store
    // sees the choice at the next save of the settings.
    bool chooseFor(DisplaySettings& settings);

    // The colour the dialog shows now, confirmed or not.
    QColor shownColor() const { return m_color; }
    void setShownColor(const QColor& color);

    QFontComboBox* cboFace;
    QDoubleSpinBox* txtSize;
    QCheckBox* chkBold;
    QCheckBox* chkItalic;
    QCheckBox* chkStrikeout;
    QCheckBox* chkUnderline;
    QPushButton* cmdColor;
    QLabel* lblPreview;
    QDialogButtonBox* buttons;

private:
    void showFields(const QFont& font, const QColor& color);
    QFont takeFields(const QFont& shown) const;
    void chooseColor();
    void updatePreview();
    QFont shownFont() const;

    QColor m_color;
};
