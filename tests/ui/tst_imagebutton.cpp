// Pointer events go through the window system interface, as a real pointer's would, so the
// toolkit's own enter/leave dispatch runs and the buttons see what they see in the program.
#define QTEST_QPA_MOUSE_HANDLING

#include "ui/ImageButton.h"
#include "ui/Pictures.h"

#include <QPainter>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

namespace {

// The window's background; pictures with transparent parts are judged as they appear on it.
QImage onBackground(const QPixmap& pm)
{
    QImage out(pm.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(4, 64, 115));
    QPainter p(&out);
    p.drawPixmap(0, 0, pm);
    return out;
}

double brightness(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum += c.red() + c.green() + c.blue();
        }
    return sum / (image.width() * image.height());
}

} // namespace

class TestImageButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hover_data();
    void hover();
    void startStopHover_data();
    void startStopHover();
    void clickThatChangesPicture_data();
    void clickThatChangesPicture();
    void click_data();
    void click();
    void doubleClick_data();
    void doubleClick();
    void hiddenWhileLit();

    void pictures_data();
    void pictures();
    void backgroundAndIcon();
    void releasedPicturesComeBackTheSame();
    void iconShowsAsWithEverySizeHeld_data();
    void iconShowsAsWithEverySizeHeld();

private:
    void moveTo(QPoint p);
    QString lit() const;

    QWidget* m_window = nullptr;
    // a and b touch (b starts on a's right edge); c and the start/stop buttons stand alone.
    ImageButton* m_a = nullptr;
    ImageButton* m_b = nullptr;
    ImageButton* m_c = nullptr;
    ImageButton* m_picStart = nullptr;
    ImageButton* m_picStart1 = nullptr;
    int m_mostLitAtOnce = 0;
};

void TestImageButton::init()
{
    m_window = new QWidget;
    m_window->resize(640, 300);
    m_a = new ImageButton(QStringLiteral("create"), m_window);
    m_a->move(10, 10);
    m_b = new ImageButton(QStringLiteral("delete"), m_window);
    m_b->move(90, 10);
    m_c = new ImageButton(QStringLiteral("edit"), m_window);
    m_c->move(10, 100);
    m_picStart = new ImageButton(QStringLiteral("start-showing"), m_window);
    m_picStart->move(200, 100);
    m_picStart1 = new ImageButton(QStringLiteral("start-showing-2"), m_window);
    m_picStart1->setPair(QStringLiteral("stop-showing-2"), QStringLiteral("stop-showing-2-hyper"));
    m_picStart1->move(200, 200);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_mostLitAtOnce = 0;
    moveTo({5, 5});
}

void TestImageButton::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestImageButton::moveTo(QPoint p)
{
    QTest::mouseMove(m_window->windowHandle(), p);
    m_mostLitAtOnce = qMax(m_mostLitAtOnce, int(lit().size()));
}

QString TestImageButton::lit() const
{
    QString names;
    if (m_a->isHighlighted())
        names += QLatin1Char('a');
    if (m_b->isHighlighted())
        names += QLatin1Char('b');
    if (m_c->isHighlighted())
        names += QLatin1Char('c');
    return names;
}

void TestImageButton::hover_data()
{
    // Window coordinates: a covers x 10..90, y 10..36; b x 90..170; c x 10..90, y 100..126.
    QTest::addColumn<QList<QPoint>>("path");
    QTest::addColumn<QString>("lit");
    QTest::addColumn<QStringList>("changesOfA");

    const QStringList none;
    const QStringList lights = {QStringLiteral("create-hyper")};
    const QStringList lightsAndBack = {QStringLiteral("create-hyper"), QStringLiteral("create")};
    QTest::newRow("into") << QList<QPoint>{{30, 20}} << "a" << lights;
    QTest::newRow("around inside")
        << QList<QPoint>{{30, 20}, {60, 30}, {11, 11}, {80, 12}} << "a" << lights;
    QTest::newRow("in and out") << QList<QPoint>{{30, 20}, {60, 30}, {30, 50}} << ""
                                << lightsAndBack;
    QTest::newRow("out to the left") << QList<QPoint>{{30, 20}, {9, 20}} << "" << lightsAndBack;
    QTest::newRow("out at the top") << QList<QPoint>{{30, 20}, {30, 9}} << "" << lightsAndBack;
    QTest::newRow("on the right edge") << QList<QPoint>{{30, 110}, {90, 110}} << "c" << none;
    QTest::newRow("on the bottom edge") << QList<QPoint>{{30, 110}, {30, 126}} << "c" << none;
    QTest::newRow("on the corner") << QList<QPoint>{{30, 110}, {90, 126}} << "c" << none;
    QTest::newRow("past the right edge")
        << QList<QPoint>{{30, 110}, {90, 110}, {91, 110}} << "" << none;
    QTest::newRow("past the bottom edge")
        << QList<QPoint>{{30, 110}, {30, 126}, {30, 127}} << "" << none;
    QTest::newRow("onto the neighbour")
        << QList<QPoint>{{30, 20}, {89, 20}, {92, 20}, {100, 20}} << "b" << lightsAndBack;
    QTest::newRow("onto the neighbour's first column")
        << QList<QPoint>{{30, 20}, {89, 20}, {90, 20}, {91, 20}, {120, 20}} << "b" << lightsAndBack;
    QTest::newRow("onto the neighbour and back")
        << QList<QPoint>{{30, 20}, {120, 20}, {60, 20}} << "a"
        << QStringList{QStringLiteral("create-hyper"), QStringLiteral("create"),
                       QStringLiteral("create-hyper")};
    QTest::newRow("jump from one button to another")
        << QList<QPoint>{{30, 20}, {30, 110}} << "c" << lightsAndBack;
}

void TestImageButton::hover()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(QString, lit);
    QFETCH(QStringList, changesOfA);

    QSignalSpy changes(m_a, &ImageButton::pictureChanged);
    for (const QPoint& p : path)
        moveTo(p);

    QCOMPARE(this->lit(), lit);
    QVERIFY2(m_mostLitAtOnce <= 1, "two buttons were lit at once");
    QStringList seen;
    for (const QList<QVariant>& args : changes)
        seen << args.at(0).toString();
    QCOMPARE(seen, changesOfA);
}

void TestImageButton::startStopHover_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("showState");
    QTest::addColumn<QString>("over");
    QTest::addColumn<QString>("after");

    QTest::newRow("picStart, show off") << "picStart"
                                        << "start-showing"
                                        << "start-showing-hyper"
                                        << "start-showing";
    QTest::newRow("picStart, show on") << "picStart"
                                       << "stop-showing"
                                       << "stop-showing"
                                       << "stop-showing";
    QTest::newRow("picStart1, show off") << "picStart1"
                                         << "start-showing-2"
                                         << "start-showing-2"
                                         << "start-showing-2";
    QTest::newRow("picStart1, show on") << "picStart1"
                                        << "stop-showing-2"
                                        << "stop-showing-2-hyper"
                                        << "stop-showing-2";
}

void TestImageButton::startStopHover()
{
    QFETCH(QString, button);
    QFETCH(QString, showState);
    QFETCH(QString, over);
    QFETCH(QString, after);

    ImageButton* b = button == QLatin1String("picStart") ? m_picStart : m_picStart1;
    b->setPictureKey(showState);
    const QPoint inside = b->geometry().center();
    moveTo(inside);
    QCOMPARE(b->pictureKey(), over);
    moveTo(inside + QPoint(5, 3));
    QCOMPARE(b->pictureKey(), over);
    moveTo({5, 5});
    QCOMPARE(b->pictureKey(), after);
}

void TestImageButton::clickThatChangesPicture_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("showState");
    QTest::addColumn<QString>("toggled");
    QTest::addColumn<QString>("afterLeaving");
    QTest::addColumn<QString>("onReturn");

    // The toggle always sets a show-state picture; it is kept under the pointer until the
    // pointer has left, and lights up on return only when it belongs to the button's pair.
    QTest::newRow("picStart stops the show") << "picStart"
                                             << "stop-showing"
                                             << "start-showing"
                                             << "start-showing"
                                             << "start-showing-hyper";
    QTest::newRow("picStart starts the show") << "picStart"
                                              << "start-showing"
                                              << "stop-showing"
                                              << "stop-showing"
                                              << "stop-showing";
    QTest::newRow("picStart1 stops the show") << "picStart1"
                                              << "stop-showing-2"
                                              << "start-showing-2"
                                              << "start-showing-2"
                                              << "start-showing-2";
    QTest::newRow("picStart1 starts the show") << "picStart1"
                                               << "start-showing-2"
                                               << "stop-showing-2"
                                               << "stop-showing-2"
                                               << "stop-showing-2-hyper";
}

void TestImageButton::clickThatChangesPicture()
{
    QFETCH(QString, button);
    QFETCH(QString, showState);
    QFETCH(QString, toggled);
    QFETCH(QString, afterLeaving);
    QFETCH(QString, onReturn);

    ImageButton* b = button == QLatin1String("picStart") ? m_picStart : m_picStart1;
    b->setPictureKey(showState);
    connect(b, &ImageButton::clicked, b, [b, toggled] { b->setPictureKey(toggled); });

    const QPoint inside = m_window->mapFromGlobal(b->mapToGlobal(QPoint(40, 12)));
    moveTo(inside);
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, inside);
    QCOMPARE(b->pictureKey(), toggled);
    moveTo(inside + QPoint(10, 2));
    QCOMPARE(b->pictureKey(), toggled);
    moveTo({5, 5});
    QCOMPARE(b->pictureKey(), afterLeaving);
    moveTo(inside);
    QCOMPARE(b->pictureKey(), onReturn);
}

void TestImageButton::click_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("clicked");

    // Window coordinates of c: x 10..90, y 100..126.
    QTest::newRow("press and release inside") << QPoint(30, 110) << QPoint(30, 110) << true;
    QTest::newRow("release elsewhere inside") << QPoint(30, 110) << QPoint(70, 120) << true;
    QTest::newRow("release on the right edge") << QPoint(30, 110) << QPoint(90, 110) << true;
    QTest::newRow("release outside") << QPoint(30, 110) << QPoint(120, 110) << false;
    QTest::newRow("press outside, release inside") << QPoint(120, 110) << QPoint(30, 110) << false;
}

void TestImageButton::click()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(bool, clicked);

    QSignalSpy clicks(m_c, &ImageButton::clicked);
    moveTo(press);
    QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, {}, press);
    QTest::mouseMove(m_window->windowHandle(), release);
    QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, {}, release);
    QCOMPARE(clicks.size(), clicked ? 1 : 0);
}

void TestImageButton::doubleClick_data()
{
    QTest::addColumn<bool>("firstClickUncovers");
    QTest::addColumn<int>("clicksOfFront");
    QTest::addColumn<int>("clicksOfBehind");

    QTest::newRow("the button stays") << false << 1 << 0;
    // The second press then lands on the button that was behind the first one.
    QTest::newRow("the first click uncovers another button") << true << 1 << 0;
}

void TestImageButton::doubleClick()
{
    QFETCH(bool, firstClickUncovers);
    QFETCH(int, clicksOfFront);
    QFETCH(int, clicksOfBehind);

    auto* behind = new ImageButton(QStringLiteral("ok"), m_window);
    behind->move(m_c->pos());
    behind->show();
    m_c->raise();
    if (firstClickUncovers)
        connect(m_c, &ImageButton::clicked, m_c, &QWidget::hide);
    QSignalSpy front(m_c, &ImageButton::clicked);
    QSignalSpy back(behind, &ImageButton::clicked);
    const QPoint inside(30, 110);
    moveTo(inside);
    QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {}, inside);
    QCOMPARE(front.size(), clicksOfFront);
    QCOMPARE(back.size(), clicksOfBehind);
}

void TestImageButton::hiddenWhileLit()
{
    // A window sent away under the pointer comes back with its buttons unlit.
    moveTo({30, 20});
    QVERIFY(m_a->isHighlighted());
    m_window->hide();
    QCOMPARE(m_a->pictureKey(), QStringLiteral("create"));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    moveTo({120, 20});
    QCOMPARE(lit(), QStringLiteral("b"));
}

void TestImageButton::pictures_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("size");

    QTest::newRow("programs") << "programs" << QSize(62, 68);
    for (const char* key : {"goal", "settings", "help", "exit"})
        QTest::newRow(key) << key << QSize(55, 68);
    QTest::newRow("ok") << "ok" << QSize(78, 28);
    QTest::newRow("save") << "save" << QSize(100, 30);
    for (const char* key : {"create", "delete", "add-new", "edit", "font"})
        QTest::newRow(key) << key << QSize(80, 26);
    for (const char* key : {"start-showing", "stop-showing"})
        QTest::newRow(key) << key << QSize(234, 30);
    for (const char* key : {"start-showing-2", "stop-showing-2"})
        QTest::newRow(key) << key << QSize(420, 41);
}

void TestImageButton::pictures()
{
    QFETCH(QString, key);
    QFETCH(QSize, size);

    const QString hyper = key + QStringLiteral("-hyper");
    for (const QString& k : {key, hyper}) {
        QVERIFY(Pictures::has(k));
        QVERIFY(Pictures::keys().contains(k));
        for (const qreal dpr : {1.0, 2.0}) {
            const QPixmap pm = Pictures::picture(k, dpr);
            QVERIFY2(!pm.isNull(), qPrintable(k));
            QCOMPARE(pm.deviceIndependentSize().toSize(), size);
            QCOMPARE(pm.size(), size * dpr);
        }
        QCOMPARE(Pictures::size(k), size);
    }
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage normal = onBackground(Pictures::picture(key, dpr));
        const QImage lit = onBackground(Pictures::picture(hyper, dpr));
        QVERIFY(normal != lit);
        QVERIFY2(brightness(lit) > brightness(normal), "the lit twin is not brighter");
    }
    // Painted, not blank: the picture differs from the plain background it sits on.
    QImage plain(size, QImage::Format_ARGB32_Premultiplied);
    plain.fill(QColor(4, 64, 115));
    QVERIFY(onBackground(Pictures::picture(key)) != plain);

    ImageButton button(key);
    QCOMPARE(button.size(), size);
}

void TestImageButton::backgroundAndIcon()
{
    QVERIFY(!Pictures::has(QStringLiteral("no-such-picture")));
    QVERIFY(Pictures::picture(QStringLiteral("no-such-picture")).isNull());
    QVERIFY(Pictures::picture(QStringLiteral("-hyper")).isNull());
    QVERIFY(Pictures::size(QStringLiteral("no-such-picture")).isEmpty());

    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap bg = Pictures::background(dpr);
        QCOMPARE(bg.deviceIndependentSize().toSize(), QSize(567, 406));
        QCOMPARE(bg.size(), QSize(567, 406) * dpr);
    }
    // The page area inside the frame is the window's plain background colour.
    const QImage bg = Pictures::background().toImage();
    QCOMPARE(bg.pixelColor(280, 240), QColor(4, 64, 115));

    const QIcon icon = Pictures::programIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int s : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QVERIFY2(sizes.contains(QSize(s, s)), qPrintable(QString::number(s)));
        const QImage image = Pictures::iconImage(s);
        QCOMPARE(image.size(), QSize(s, s));
        // Opaque in the middle, see-through in the corner.
        QCOMPARE(image.pixelColor(s / 2, s / 2).alpha(), 255);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    }
}

void TestImageButton::releasedPicturesComeBackTheSame()
{
    const QString key = QStringLiteral("start-showing-2-hyper");
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap kept = Pictures::picture(key, dpr);
        QCOMPARE(Pictures::picture(key, dpr).cacheKey(), kept.cacheKey());
        const QPixmap background = Pictures::background(dpr);

        Pictures::release();
        const QPixmap again = Pictures::picture(key, dpr);
        QVERIFY2(again.cacheKey() != kept.cacheKey(), "the picture was kept");
        QCOMPARE(again.toImage(), kept.toImage());
        QCOMPARE(again.devicePixelRatio(), dpr);
        QCOMPARE(Pictures::background(dpr).toImage(), background.toImage());
    }
    // A button shows the same after its pictures were let go.
    ImageButton button(QStringLiteral("save"));
    QImage before(button.size(), QImage::Format_ARGB32_Premultiplied);
    before.fill(Qt::black);
    QImage after = before;
    button.render(&before);
    Pictures::release();
    button.render(&after);
    QCOMPARE(after, before);
}

void TestImageButton::iconShowsAsWithEverySizeHeld_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QIcon::Mode>("mode");
    QTest::addColumn<qreal>("dpr");
    // Held sizes, sizes in between (scaled down from the next larger), beyond the largest.
    for (const int s : {16, 20, 22, 23, 30, 48, 100, 256, 300})
        QTest::addRow("%d px", s) << QSize(s, s) << QIcon::Normal << 1.0;
    QTest::newRow("22 px, disabled") << QSize(22, 22) << QIcon::Disabled << 1.0;
    QTest::newRow("40 x 20 px") << QSize(40, 20) << QIcon::Normal << 1.0;
    QTest::newRow("22 px at 200 %") << QSize(22, 22) << QIcon::Normal << 2.0;
    QTest::newRow("20 px at 150 %") << QSize(20, 20) << QIcon::Normal << 1.5;
}

void TestImageButton::iconShowsAsWithEverySizeHeld()
{
    QFETCH(QSize, size);
    QFETCH(QIcon::Mode, mode);
    QFETCH(qreal, dpr);
    QIcon everySize;
    for (const int s : {16, 22, 24, 32, 48, 64, 128, 256})
        everySize.addPixmap(QPixmap::fromImage(Pictures::iconImage(s)));
    const QIcon icon = Pictures::programIcon();

    QCOMPARE(icon.actualSize(size, mode), everySize.actualSize(size, mode));
    QCOMPARE(icon.pixmap(size, mode).toImage(), everySize.pixmap(size, mode).toImage());
    // Painted into a place of that size, as a tray icon is.
    QImage painted(size * dpr, QImage::Format_ARGB32_Premultiplied);
    painted.setDevicePixelRatio(dpr);
    painted.fill(Qt::transparent);
    QImage expected = painted;
    {
        QPainter p(&painted);
        icon.paint(&p, QRect(QPoint(), size), Qt::AlignCenter, mode);
    }
    {
        QPainter p(&expected);
        everySize.paint(&p, QRect(QPoint(), size), Qt::AlignCenter, mode);
    }
    QCOMPARE(painted, expected);
}

QTEST_MAIN(TestImageButton)
#include "tst_imagebutton.moc"
