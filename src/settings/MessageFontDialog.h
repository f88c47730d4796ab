#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class QCheckBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QPushButton;
struct DisplaySettings;

// The chooser of the message font: face, bold, italic, size in points, strikeout, underline
// and colour, with a preview. The main window keeps one for the whole run. Its fields change
// only when the user confirms; every opening starts from the message font in use, which a
// confirmed choice has become, so the last confirmed state is what the next opening shows.
class MessageFontDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MessageFontDialog(QWidget* parent = nullptr);

    // The dialog's state.
    QString FontName;
    double FontSize = 8; // points
    bool FontBold = false;
    bool FontItalic = false;
    bool FontStrikethru = false;
    bool FontUnderline = false;
    qint32 Color = 0; // 0x00BBGGRR

    void presetFrom(const DisplaySettings& settings);
    // Modal. True when the user confirmed; the fields then hold the choice. Cancel leaves
    // every field as it was.
    bool ShowFont();
    // Face, bold, italic, size, strikeout, underline, colour, in that order. Stores nothing:
    // the settings store sees the choice at the next save of the settings.
    void copyTo(DisplaySettings& settings) const;

    // All of the font command: opens on the font in use and, when the user confirms, makes
    // the choice the font in use. True when confirmed.
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
    void showFields();
    void takeFields();
    void chooseColor();
    void updatePreview();
    QFont shownFont() const;

    QColor m_color;
};
