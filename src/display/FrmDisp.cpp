#include "display/FrmDisp.h"
#include "core/DesignFont.h"

#include "core/ProgramTitle.h"
#include "core/Screen.h"
#include "display/Placement.h"
#include "display/RandomSource.h"
#include "display/ScreenCut.h"
#include "display/X11Flash.h"
#include "settings/DisplaySettings.h"
#include "settings/ShowChoices.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <thread>

namespace {

// White behind the text inside a thin black border, the text in the label's own colour. It
// is painted here rather than by a style sheet: a style sheet is worked out again each time
// it is set, and the colour changes with every message.
class MessageLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.end();
        QLabel::paintEvent(event);
    }
};

QFont designFont()
{
    QFont design(QString::fromLatin1(kDesignFontFamily));
    design.setPointSizeF(9.75);
    design.setBold(true);
    return design;
}

constexpr int kBorder = 1;

} // namespace

FrmDisp::FrmDisp()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput),
      m_label(new MessageLabel(this)), m_flash(X11Flash::open(programTitle())),
      m_bypassesManager(QGuiApplication::platformName() == QLatin1String("xcb"))
{
    // An X11 window that bypasses the window manager is stacked by its raise alone, and no
    // manager lists or focuses it: asking to keep it on top, or naming the window it belongs
    // to (as a tool window does at each show), only sends the server messages and properties
    // that wake this and every other client on the screen at each message.
    if (m_bypassesManager)
        setWindowFlag(Qt::Tool, false);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint);
    setObjectName(QStringLiteral("frmDisp"));
    setWindowTitle(programTitle());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);

    m_label->setObjectName(QStringLiteral("LblDisp"));
    m_label->setAlignment(Qt::AlignCenter);
    // A message is shown as written, "<b>" and "&" included.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFocusPolicy(Qt::NoFocus);
    m_label->setContentsMargins(kBorder, kBorder, kBorder, kBorder);

    m_durationClock.setSingleShot(true);
    m_durationClock.setTimerType(Qt::PreciseTimer);
    connect(&m_durationClock, &QTimer::timeout, this, &FrmDisp::durationEnded);
    loadDesign();
    // The duration runs from the moment the message's pixels are on the screen.
    if (m_flash)
        connect(m_flash.get(), &X11Flash::exposed, this, [this] {
            if (m_waitForPixels)
                startDuration();
        });
    else
        create(); // the native window now, not at the first message
}

FrmDisp::~FrmDisp() = default;

// The window as designed, as every message finds it.
void FrmDisp::loadDesign()
{
    if (m_designed)
        return;
    m_durationClock.stop();
    m_durationMs = -1;
    m_endAt.reset();
    m_waitForPixels = false;
    m_label->setText(QStringLiteral("Test"));
    // Dressed but not laid out: laying out "Test" would load the design face's glyphs, which
    // a window waiting for its next message never draws.
    setLook(designFont(), Qt::black);
    m_label->move(2, 2);
    resize(Placement::kDesignSize);
    m_designed = true;
}

void FrmDisp::dressLabel(const QFont& font, const QColor& color)
{
    m_designed = false;
    setLook(font, color);
    m_label->adjustSize();
}

void FrmDisp::setLook(const QFont& font, const QColor& color)
{
    m_label->setFont(font);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, color);
    m_label->setPalette(palette);
}

void FrmDisp::showOn(int monitors)
{
    m_monitors = monitors;
    // Windows for further monitors are kept only while they may be needed; a message on the
    // screen keeps them until it goes.
    if (m_flash && monitors != ShowChoices::EveryMonitor && !m_flash->isShown())
        m_flash->dropExtraWindows();
}

QList<QRect> FrmDisp::targetMonitors() const
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QScreen* first = primary;
    if (m_monitors == ShowChoices::PointerMonitor)
        if (const QScreen* pointed = QGuiApplication::screenAt(QCursor::pos()))
            first = pointed;
    // The primary screen's size is the one a test may set in its place.
    const auto area = [primary](const QScreen* screen) {
        if (screen == primary)
            return QRect(primary ? primary->geometry().topLeft() : QPoint(),
                         Screen::current().size());
        return screen->geometry();
    };
    QList<QRect> monitors{area(first)};
    if (m_flash && m_monitors == ShowChoices::EveryMonitor)
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen != first)
                monitors << area(screen);
    return monitors;
}

QSize FrmDisp::largestRoom() const
{
    // The pointer may move to another monitor before the message shows.
    QSize room = Screen::current().size();
    if (m_monitors != ShowChoices::PrimaryMonitor)
        for (const QScreen* screen : QGuiApplication::screens())
            room = room.expandedTo(screen->size());
    return room;
}

void FrmDisp::fitLabel(const QString& text, const QSize& room)
{
    const QSize border(2 * kBorder, 2 * kBorder);
    m_label->setText(ScreenCut::fit(text, m_label->fontMetrics(), room - border));
    m_label->adjustSize();
    // What the cut leaves is measured the label's way to within a pixel; the window never
    // grows past the screen.
    m_label->resize(m_label->size().boundedTo(room));
    m_label->move(0, 0);
}

void FrmDisp::PresentMessage(const QString& text, const DisplaySettings& settings)
{
    m_designed = false;
    // Places are on the chosen monitor, which need not start at the desktop's origin.
    const QList<QRect> monitors = targetMonitors();
    // The random numbers are drawn once, vertical first, then horizontal: the order the
    // generator is drawn in. Every monitor takes its place from the same two.
    double rVertical = 0;
    double rHorizontal = 0;
    if (settings.RandomLocation == 0) {
        rVertical = RandomSource::current().next();
        rHorizontal = RandomSource::current().next();
    }
    const auto place = [&](const QRect& monitor) {
        const QPoint at = settings.RandomLocation == 0
                              ? Placement::random(monitor.size(), rVertical, rHorizontal)
                              : Placement::centre(monitor.size(), m_label->size());
        return QRect(monitor.topLeft() + at, m_label->size());
    };
    // The further monitors first, so the window is left as it shows on the first one.
    std::vector<X11Flash::Piece> pieces(1);
    for (qsizetype i = 1; i < monitors.size(); ++i) {
        fitLabel(text, monitors[i].size());
        setGeometry(place(monitors[i]));
        QImage picture(size(), QImage::Format_RGB32);
        render(&picture);
        pieces.push_back({geometry(), std::move(picture)});
    }
    fitLabel(text, monitors.front().size());
    // Placed and fitted in one step: one request to the window system, not two.
    setGeometry(place(monitors.front()));

    m_durationMs = settings.DispDuration >= 0 && settings.DispDuration < DurationChoices::count
                       ? settings.durationMs()
                       : -1;
    // The window system is handed the finished picture before the window appears, so the
    // message is whole from its first moment on the screen, and its duration is counted from
    // there.
    if (m_flash) {
        QImage picture(size(), QImage::Format_RGB32);
        render(&picture);
        pieces.front() = {geometry(), std::move(picture)};
        m_waitForPixels = true;
        m_flash->show(pieces);
        // Should the server never report the window's pixels (a window wholly off its
        // screens gets no exposure), the message still ends and the show goes on.
        if (m_durationMs >= 0)
            m_durationClock.start(m_durationMs + kExposeGraceMs);
        return;
    }
    // Elsewhere the clock is armed before the show: a show that stalls on a busy display then
    // does not lengthen the message.
    startDuration();
    // The window is used again and again: it is brought above the windows shown since the
    // last message (elsewhere the stay-on-top flag keeps it there).
    if (m_bypassesManager)
        raise();
    show();
}

bool FrmDisp::isVisible() const
{
    return m_flash ? m_flash->isShown() : QWidget::isVisible();
}

void FrmDisp::startDuration()
{
    m_waitForPixels = false;
    if (m_durationMs < 0)
        return;
    m_endAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_durationMs);
    // The event loop wakes up to a whole millisecond after a clock is due: the clock is set a
    // millisecond short and the rest is waited out to the microsecond when it fires.
    m_durationClock.start(std::max(m_durationMs - 1, 0));
}

void FrmDisp::durationEnded()
{
    // A clock restarted by someone else with an interval of their own ends the message then.
    if (m_endAt && m_durationClock.interval() == std::max(m_durationMs - 1, 0))
        std::this_thread::sleep_until(*m_endAt);
    Timer1_Timer();
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

void FrmDisp::Unload()
{
    m_durationClock.stop();
    if (m_flash) {
        m_flash->hide();
        if (m_monitors != ShowChoices::EveryMonitor)
            m_flash->dropExtraWindows();
    } else if (QWidget::isVisible())
        hide();
    loadDesign();
}

void FrmDisp::Timer1_Timer()
{
    Unload();
    emit messageEnded();
}
