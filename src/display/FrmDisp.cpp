#include "display/FrmDisp.h"

#include "core/Screen.h"
#include "display/Placement.h"
#include "display/RandomSource.h"
#include "display/ShowCycle.h"
#include "settings/DisplaySettings.h"

#include <QEvent>
#include <QLabel>

FrmDisp::FrmDisp(ShowCycle* cycle)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      m_cycle(cycle), m_label(new QLabel(QStringLiteral("Test"), this))
{
    setObjectName(QStringLiteral("frmDisp"));
    setWindowTitle(QStringLiteral("Zentrivo v1.0"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    resize(Placement::kDesignSize);

    m_label->setObjectName(QStringLiteral("LblDisp"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFocusPolicy(Qt::NoFocus);
    QFont design(QStringLiteral("Verdana"));
    design.setPointSizeF(9.75);
    design.setBold(true);
    m_label->setFont(design);
    dressLabel(design, Qt::black);
    m_label->move(2, 2);

    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrmDisp::Timer1_Timer);
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
    if (settings.RandomLocation == 0) {
        // Vertical first, then horizontal: the order the generator is drawn in.
        const double rVertical = RandomSource::current().next();
        const double rHorizontal = RandomSource::current().next();
        move(Placement::random(screen, rVertical, rHorizontal));
    } else {
        move(Placement::centre(screen, m_label->size()));
    }
    resize(m_label->size());

    const bool durationKnown =
        settings.DispDuration >= 0 && settings.DispDuration < DurationChoices::count;
    if (durationKnown)
        m_timer.setInterval(settings.durationMs());
    // The native window is made before it is shown, so showing it is only the map request
    // and the duration clock starts as the message appears. A newly shown window is stacked
    // above the others already; no raise is needed here.
    create();
    show();
    // Armed once the window is up, so the chosen duration is the time it is on the screen.
    if (durationKnown)
        m_timer.start();
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
    // Gone first, then the pause: the next message comes one full interval after this one
    // vanished.
    hide();
    if (m_cycle)
        m_cycle->enablePacingClock();
    deleteLater();
}
