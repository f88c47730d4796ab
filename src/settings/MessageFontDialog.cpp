#include "settings/MessageFontDialog.h"

#include "settings/DisplaySettings.h"
#include "settings/SettingKeys.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
constexpr int kSizeDecimals = 2;

double shownSize(double points)
{
    const double scale = std::pow(10.0, kSizeDecimals);
    return std::round(points * scale) / scale;
}
} // namespace

MessageFontDialog::MessageFontDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MessageFontDialog"));
    setWindowTitle(QStringLiteral("Font"));
    setModal(true);

    cboFace = new QFontComboBox(this);
    cboFace->setEditable(true);
    cboFace->setInsertPolicy(QComboBox::NoInsert);
    txtSize = new QDoubleSpinBox(this);
    txtSize->setDecimals(kSizeDecimals);
    txtSize->setRange(SettingKeys::FontSize.low, SettingKeys::FontSize.high);
    txtSize->setSingleStep(1);
    txtSize->setSuffix(QStringLiteral(" pt"));

    chkBold = new QCheckBox(QStringLiteral("&Bold"), this);
    chkItalic = new QCheckBox(QStringLiteral("&Italic"), this);
    chkStrikeout = new QCheckBox(QStringLiteral("Stri&keout"), this);
    chkUnderline = new QCheckBox(QStringLiteral("&Underline"), this);
    cmdColor = new QPushButton(QStringLiteral("&Colour..."), this);

    // The messages are shown in black and colour on white; the preview shows them so.
    lblPreview = new QLabel(QStringLiteral("AaBbYyZz"), this);
    lblPreview->setAlignment(Qt::AlignCenter);
    lblPreview->setFixedSize(300, 80); // a huge size must not blow up the dialog
    lblPreview->setAutoFillBackground(true);
    lblPreview->setFrameShape(QFrame::StyledPanel);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Font:"), cboFace);
    form->addRow(QStringLiteral("&Size:"), txtSize);
    auto* style = new QGridLayout;
    style->addWidget(chkBold, 0, 0);
    style->addWidget(chkItalic, 0, 1);
    style->addWidget(chkStrikeout, 1, 0);
    style->addWidget(chkUnderline, 1, 1);
    style->addWidget(cmdColor, 2, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(style);
    layout->addWidget(lblPreview, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);

    connect(cboFace, &QComboBox::currentTextChanged, this, &MessageFontDialog::updatePreview);
    // Picking the face already under the cursor of the list (the stand-in of a face this
    // system lacks) must still replace the name shown in the box.
    connect(cboFace, &QComboBox::activated, this,
            [this](int index) { cboFace->setEditText(cboFace->itemText(index)); });
    connect(txtSize, &QDoubleSpinBox::valueChanged, this, &MessageFontDialog::updatePreview);
    for (QCheckBox* box : {chkBold, chkItalic, chkStrikeout, chkUnderline})
        connect(box, &QCheckBox::toggled, this, &MessageFontDialog::updatePreview);
    connect(cmdColor, &QPushButton::clicked, this, &MessageFontDialog::chooseColor);

    const DisplaySettings design;
    showFields(design.messageFont(), DisplaySettings::colorFromValue(design.FontColor));
}

bool MessageFontDialog::ShowFont(QFont& font, QColor& color)
{
    showFields(font, color);
    if (exec() != QDialog::Accepted)
        return false;
    font = takeFields(font);
    color = m_color;
    return true;
}

bool MessageFontDialog::chooseFor(DisplaySettings& settings)
{
    QFont font = settings.messageFont();
    // The face as stored, whole: here a comma is part of its name.
    font.setFamily(settings.FontName);
    QColor color = DisplaySettings::colorFromValue(settings.FontColor);
    if (!ShowFont(font, color))
        return false;
    settings.setMessageFont(font);
    settings.FontColor = DisplaySettings::valueFromColor(color);
    return true;
}

void MessageFontDialog::setShownColor(const QColor& color)
{
    m_color = color;
    QPixmap swatch(16, 16);
    swatch.fill(color);
    cmdColor->setIcon(QIcon(swatch));
    updatePreview();
}

void MessageFontDialog::showFields(const QFont& font, const QColor& color)
{
    const QSignalBlocker block(cboFace);
    cboFace->setCurrentFont(QFont(font.family()));
    // A face this system lacks is still the one chosen: show its name, not a stand-in's.
    cboFace->setEditText(font.family());
    txtSize->setValue(font.pointSizeF());
    chkBold->setChecked(font.bold());
    chkItalic->setChecked(font.italic());
    chkStrikeout->setChecked(font.strikeOut());
    chkUnderline->setChecked(font.underline());
    setShownColor(color);
}

QFont MessageFontDialog::takeFields(const QFont& shown) const
{
    QFont font = shownFont();
    // The face as the box holds it, whole; an empty box keeps the face.
    const QString face = cboFace->currentText().trimmed();
    font.setFamily(face.isEmpty() ? shown.family() : face);
    // The box shows the size rounded; an untouched box keeps the exact size.
    if (qFuzzyCompare(txtSize->value(), shownSize(shown.pointSizeF())))
        font.setPointSizeF(shown.pointSizeF());
    return font;
}

void MessageFontDialog::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("Colour"),
                                                 QColorDialog::DontUseNativeDialog);
    if (chosen.isValid())
        setShownColor(chosen);
}

QFont MessageFontDialog::shownFont() const
{
    QFont font(cboFace->currentText().trimmed());
    font.setPointSizeF(txtSize->value());
    font.setBold(chkBold->isChecked());
    font.setItalic(chkItalic->isChecked());
    font.setStrikeOut(chkStrikeout->isChecked());
    font.setUnderline(chkUnderline->isChecked());
    return font;
}

void MessageFontDialog::updatePreview()
{
    lblPreview->setFont(shownFont());
    QPalette palette = lblPreview->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, m_color);
    lblPreview->setPalette(palette);
}
