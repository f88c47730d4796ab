#include "display/FrmDisp.h"
#include "core/DesignFont.h"

#include "core/ProgramTitle.h"
#include "core/Screen.h"
#include "display/Placement.h"
#include "display/RandomSource.h"
#include "settings/DisplaySettings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

FrmDisp::FrmDisp()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      m_label(new QLabel(QStringLiteral("Test"), this))
{
    setObjectName(QStringLiteral("frmDisp"));
    setWindowTitle(programTitle());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    resize(Placement::kDesignSize);

    m_label->setObjectName(QStringLiteral("LblDisp"));
    m_label->setAlignment(Qt::AlignCenter);
    // A message is shown as written, "<b>" and "&" included.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFocusPolicy(Qt::NoFocus);
    QFont design(QString::fromLatin1(kDesignFontFamily));
    design.setPointSizeF(9.75);
    design.setBold(true);
    m_label->setFont(design);
    dressLabel(design, Qt::black);
    m_label->move(2, 2);

    m_durationClock.setSingleShot(true);
    m_durationClock.setTimerType(Qt::PreciseTimer);
    connect(&m_durationClock, &QTimer::timeout, this, &FrmDisp::Timer1_Timer);
}

void FrmDisp::dressLabel(const QFont& font, const QColor& color)
{
    m_label->setFont(font);
    // A style sheet that names no font leaves the one set above whole.
    m_label->setStyleSheet(
        QStringLiteral(
            "QLabel { background-color: #ffffff; color: %1; border: 1px solid #000000; }")
            .arg(color.name()));
    m_label->adjustSize();
}

void FrmDisp::PresentMessage(const QString& text, const DisplaySettings& settings)
{
    m_label->setText(text);
    m_label->adjustSize();
    m_label->move(0, 0);

    const QSize screen = Screen::current().size();
    // Places are on the primary screen, which need not start at the desktop's origin.
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QPoint origin = primary ? primary->geometry().topLeft() : QPoint();
    if (settings.RandomLocation == 0) {
        // Vertical first, then horizontal: the order the generator is drawn in.
        const double rVertical = RandomSource::current().next();
        const double rHorizontal = RandomSource::current().next();
        move(origin + Placement::random(screen, rVertical, rHorizontal));
    } else {
        move(origin + Placement::centre(screen, m_label->size()));
    }
    resize(m_label->size());

    // The native window is made before the clock starts, so what remains of showing is the
    // map request. The clock is armed before the show: a show that stalls on a busy display
    // server then does not lengthen the message. A newly shown window is stacked above the
    // others already; no raise is needed here.
    create();
    if (settings.DispDuration >= 0 && settings.DispDuration < DurationChoices::count) {
        m_durationClock.setInterval(settings.durationMs());
        m_durationClock.start();
    }
    show();
}

void FrmDisp::Form_Activate()
{
    raise();
}

void FrmDisp::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QWidget::changeEvent(event);
}

void FrmDisp::Timer1_Timer()
{
    hide();
    emit messageEnded();
    deleteLater();
}
