#include "ListRows.h"
#include "ReadOnlyFolder.h"
#include "RecordingPrompt.h"
#include "TestFiles.h"
#include "core/Prompt.h"
#include "goals/DiskFull.h"
#include "library/CheckListModel.h"
#include "library/LibraryFiles.h"
#include "library/RecordFormat.h"
#include "ui/ImageButton.h"
#include "ui/ProgramsPage.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <memory>
#include <optional>

namespace {

// Types text key by key, letters beyond ASCII included.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
}

using TestFiles::rec;

// A program of at least `size` bytes: "m0" ticked, "m1" not, then ticked filler.
QByteArray bigProgram(qint64 size)
{
    QByteArray bytes = rec("m0") + rec("m1", false);
    for (int i = 0; bytes.size() < size; ++i)
        bytes += rec("filler " + QByteArray::number(i) + ", filler, filler, filler");
    return bytes;
}

// A temporary application folder with a plugins folder, written byte by byte.
struct Library
{
    QTemporaryDir dir;
    Library() { QDir(dir.path()).mkdir(QStringLiteral("plugins")); }
    QString path(const QString& rel) const { return dir.filePath(rel); }
    void write(const QString& rel, const QByteArray& bytes) const
    {
        QFile f(path(rel));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& rel) const
    {
        QFile f(path(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString& rel) const { return QFileInfo::exists(path(rel)); }
    // Every file and folder below the application folder with its bytes.
    QMap<QString, QByteArray> snapshot() const { return TestFiles::snapshot(dir.path()); }
    // A path that nobody, root included, can replace by a file: a folder of the same name.
    void makeUnwritable(const QString& rel) const
    {
        QFile::remove(path(rel));
        QVERIFY(QDir(dir.path()).mkpath(rel));
    }
};

// While alive, writes into `folder` (below `root`) fail, for root as well: the disk has no
// room left, or the folder has no write permission.
struct FailingWrites
{
    std::optional<DiskFull> full;
    std::optional<ReadOnlyFolder> readOnly;
    FailingWrites(bool fullDisk, const QString& folder, const QString& root)
    {
        if (fullDisk)
            full.emplace(0);
        else
            readOnly.emplace(folder, root);
    }
    bool active() const { return full ? full->active() : readOnly->active(); }
};

// The rows of a case that fails a write both ways.
void addWriteFailureRows()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("read-only folder") << false;
    QTest::newRow("full disk") << true;
}

struct Page
{
    ProgramsPage page;
    explicit Page(const Library& lib) : page(LibraryFiles(lib.dir.path()))
    {
        page.show();
        page.LoadProgramList();
    }
    template <typename T> T* child(const char* name) const
    {
        T* w = page.findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QTableView* programs() const { return child<QTableView>("lvwDisplayFiles"); }
    QTableView* messages() const { return child<QTableView>("lvwDisplay"); }
    QLineEdit* nameBox() const { return child<QLineEdit>("txtNewFileName"); }
    QLineEdit* editBox() const { return child<QLineEdit>("txtEditText"); }

    void click(const char* imageButton) const
    {
        auto* b = child<ImageButton>(imageButton);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    static void clickRow(QTableView* view, int row)
    {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }
    // The middle of the row's tick box, in the list's viewport.
    static QPoint tickAt(QTableView* view, int row)
    {
        QStyleOptionViewItem opt;
        opt.initFrom(view->viewport());
        opt.rect = view->visualRect(view->model()->index(row, 0));
        opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        return view->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, view)
            .center();
    }
    static void clickTick(QTableView* view, int row)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, tickAt(view, row));
    }
    // Through the window system, as a real pointer: a double-click is then told apart.
    void clickTickAsUser(QTableView* view, int row, bool twice) const
    {
        const QPoint at = view->viewport()->mapTo(&page, tickAt(view, row));
        if (twice)
            QTest::mouseDClick(page.windowHandle(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(page.windowHandle(), Qt::LeftButton, {}, at);
    }
    static int current(QTableView* view)
    {
        const QModelIndex i = view->currentIndex();
        return i.isValid() ? i.row() : -1;
    }
    void create(const QString& typed) const
    {
        nameBox()->setText(typed);
        click("picCreateFile");
    }
};

} // namespace

class TestProgramsPage : public QObject
{
    Q_OBJECT
    RecordingPrompt* m_prompt = nullptr;

    QStringList promptTexts() const
    {
        QStringList out;
        for (const auto& s : m_prompt->shown)
            out << s.text;
        return out;
    }

private slots:
    void init()
    {
        m_prompt = new RecordingPrompt;
        Prompt::set(m_prompt);
    }
    void cleanup()
    {
        Prompt::set(nullptr);
        delete m_prompt;
        m_prompt = nullptr;
    }

    void headings()
    {
        Library lib;
        Page p(lib);
        QCOMPARE(p.programs()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Files"));
        QCOMPARE(p.messages()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Text"));
        QCOMPARE(p.page.size(), QSize(553, 311));
        QVERIFY(p.page.picStart1());
        QCOMPARE(p.page.picStart1()->pictureKey(), QStringLiteral("start-showing-2"));
        QCOMPARE(p.page.picStart1()->normalKey(), QStringLiteral("stop-showing-2"));
    }

    void create_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("name");
        QTest::newRow("typed") << true << "Calm"
                               << "Calm";
        QTest::newRow("typed with surrounding spaces") << true << "  Focus 2  "
                                                       << "Focus 2";
        QTest::newRow("pasted punctuation") << false << "a-b_c (1)"
                                            << "a-b_c (1)";
        QTest::newRow("pasted like a device, but longer") << false << "CONSOLE"
                                                          << "CONSOLE";
        QTest::newRow("pasted com10") << false << "com10"
                                      << "com10";
    }
    void create()
    {
        QFETCH(bool, typed);
        QFETCH(QString, input);
        QFETCH(QString, name);
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("FileNames.txt", rec("A"));
        Page p(lib);
        p.editBox()->setText("left over");
        if (typed)
            QTest::keyClicks(p.nameBox(), input);
        else
            p.nameBox()->setText(input);
        QCOMPARE(p.nameBox()->text(), input);
        p.click("picCreateFile");

        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(lib.read("plugins/" + name + ".txt"), QByteArray());
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec(name.toLatin1()));
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"A", name}));
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{true, true}));
        QCOMPARE(Page::current(p.programs()), 1);
        QCOMPARE(p.messages()->model()->rowCount(), 0);
        QCOMPARE(p.nameBox()->text(), QString());
        QCOMPARE(p.editBox()->text(), QString());
    }

    void createWritesANewSelectionList()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        Page p(lib);
        QVERIFY(!lib.exists("FileNames.txt"));
        p.create("New");
        QCOMPARE(lib.read("FileNames.txt"), rec("A", false) + rec("New"));
    }

    void emptyName_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("empty") << "";
        QTest::newRow("only spaces") << "    ";
    }
    void emptyName()
    {
        QFETCH(QString, input);
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("FileNames.txt", rec("A"));
        Page p(lib);
        const auto before = lib.snapshot();
        p.create(input);
        QCOMPARE(m_prompt->shown.size(), 1);
        QCOMPARE(m_prompt->shown[0].text,
                 QStringLiteral("Enter New Program Name and Click on Create"));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Critical);
        QCOMPARE(m_prompt->shown[0].buttons, Prompt::Buttons::Ok);
        QCOMPARE(lib.snapshot(), before);
        QCOMPARE(ListRows::texts(p.programs()), QStringList{"A"});
    }

    // The rules themselves are tested with ProgramNames; here the page trims the typed name,
    // tells why it is refused and writes nothing.
    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("slash") << "a/b"
                               << "slash";
        QTest::newRow("trailing dot before spaces") << "name.  "
                                                    << "ends with a dot";
        QTest::newRow("Nul with spaces") << "  Nul  "
                                         << "device";
        QTest::newRow("outside Windows-1252")
            << QString::fromUtf8("\xe5\x90\x8d") << "Windows-1252";
    }
    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("FileNames.txt", rec("A"));
        Page p(lib);
        const auto before = lib.snapshot();
        p.create(name); // pasted text is not filtered by the keys
        QCOMPARE(m_prompt->shown.size(), 1);
        QVERIFY2(m_prompt->shown[0].text.startsWith("The name \""), qPrintable(promptTexts()[0]));
        QVERIFY2(m_prompt->shown[0].text.contains(why), qPrintable(promptTexts()[0]));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Exclamation);
        QCOMPARE(lib.snapshot(), before);
        QCOMPARE(ListRows::texts(p.programs()), QStringList{"A"});
        QCOMPARE(p.nameBox()->text(), name); // left for the user to mend
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("refused");
        QTest::newRow("letters digits spaces") << "Ab 9z"
                                               << "Ab 9z" << 0;
        QTest::newRow("punctuation") << "a.b,c-d"
                                     << "abcd" << 3;
        QTest::newRow("accented letter") << QString::fromUtf8("caf\xc3\xa9") << "caf" << 1;
        QTest::newRow("slash") << "a/b"
                               << "ab" << 1;
    }
    void keyFilter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, refused);
        Library lib;
        Page p(lib);
        typeText(p.nameBox(), typed);
        QCOMPARE(p.nameBox()->text(), text);
        QCOMPARE(m_prompt->shown.size(), refused);
        for (const auto& s : m_prompt->shown) {
            QCOMPARE(s.text, QStringLiteral("Please Enter Only Characters"));
            QCOMPARE(s.icon, Prompt::Icon::None);
            QCOMPARE(s.buttons, Prompt::Buttons::Ok);
        }
        QCOMPARE(lib.snapshot().keys(), QStringList{"plugins"});
    }

    void keyFilterRefusesKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0;
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
    }
    void keyFilterRefusesKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Library lib;
        Page p(lib);
        QTest::keyClicks(p.nameBox(), "abc");
        QTest::keyClick(p.nameBox(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(p.nameBox()->text(), QStringLiteral("abc"));
        QCOMPARE(promptTexts(), QStringList{"Please Enter Only Characters"});
        // Editing keys still work.
        QTest::keyClick(p.nameBox(), Qt::Key_Backspace);
        QCOMPARE(p.nameBox()->text(), QStringLiteral("ab"));
        QCOMPARE(m_prompt->shown.size(), 1);
    }

    void existingNameIsSelected_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("same") << "Calm";
        QTest::newRow("small letters") << "calm";
        QTest::newRow("capitals, spaces") << " CALM ";
    }
    void existingNameIsSelected()
    {
        QFETCH(QString, typed);
        Library lib;
        lib.write("plugins/Calm.txt", rec("breathe") + rec("slow", false));
        lib.write("plugins/Zeal.txt", rec("go"));
        lib.write("FileNames.txt", rec("Calm") + rec("Zeal"));
        Page p(lib);
        Page::clickRow(p.programs(), 1);
        QCOMPARE(ListRows::texts(p.messages()), QStringList{"go"});
        const auto before = lib.snapshot();
        p.create(typed);
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(lib.snapshot(), before);
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"Calm", "Zeal"}));
        QCOMPARE(Page::current(p.programs()), 0);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"breathe", "slow"}));
        QCOMPARE(p.nameBox()->text(), QString());
    }

    void existingFileIsListedNotEmptied()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        Page p(lib);
        lib.write("plugins/Late.txt", rec("kept"));
        p.create("Late");
        QCOMPARE(lib.read("plugins/Late.txt"), rec("kept"));
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"A", "Late"}));
        QCOMPARE(ListRows::texts(p.messages()), QStringList{"kept"});
        QCOMPARE(lib.read("FileNames.txt"), rec("A", false) + rec("Late"));
    }

    void createFailureAddsNoEntry()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("FileNames.txt", rec("A"));
        Page p(lib);
        lib.makeUnwritable("plugins/Calm.txt");
        const auto before = lib.snapshot();
        p.create("Calm");
        QCOMPARE(m_prompt->shown.size(), 1);
        QVERIFY(m_prompt->shown[0].text.startsWith("The program \"Calm\" could not be created"));
        QVERIFY(m_prompt->shown[0].text.contains(
            QDir::toNativeSeparators(lib.path("plugins/Calm.txt"))));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Critical);
        QCOMPARE(lib.snapshot(), before);
        QCOMPARE(ListRows::texts(p.programs()), QStringList{"A"});
    }

    void deleteProgram()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a1") + rec("a2"));
        lib.write("plugins/B.txt", rec("b"));
        lib.write("plugins/C.txt", rec("c"));
        lib.write("FileNames.txt", rec("A") + rec("B", false) + rec("C"));
        Page p(lib);
        Page::clickRow(p.programs(), 2);
        Page::clickRow(p.programs(), 1);
        QCOMPARE(p.editBox()->text(), QStringLiteral("b"));
        p.click("picDeleteFile");
        QCOMPARE(promptTexts(), QStringList());
        QVERIFY(!lib.exists("plugins/B.txt"));
        QCOMPARE(lib.read("plugins/A.txt"), rec("a1") + rec("a2"));
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec("C"));
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"A", "C"}));
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{true, true}));
        QCOMPARE(Page::current(p.programs()), 0);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"a1", "a2"}));
        QCOMPARE(p.editBox()->text(), QString());
    }

    void deleteOnlyProgram()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("FileNames.txt", rec("A"));
        Page p(lib);
        p.click("picDeleteFile");
        QCOMPARE(lib.snapshot(),
                 (QMap<QString, QByteArray>{{"plugins", "<dir>"}, {"FileNames.txt", ""}}));
        QCOMPARE(p.programs()->model()->rowCount(), 0);
        QCOMPARE(p.messages()->model()->rowCount(), 0);
        QCOMPARE(p.editBox()->text(), QString());
        // With nothing left, Delete does nothing.
        p.click("picDeleteFile");
        QCOMPARE(lib.read("FileNames.txt"), QByteArray());
        QCOMPARE(promptTexts(), QStringList());
    }

    void selectingAProgramWhoseFileIsGone()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a1") + rec("a2"));
        lib.write("plugins/B.txt", rec("b"));
        Page p(lib);
        p.editBox()->setText("typed");
        QFile::remove(lib.path("plugins/B.txt"));
        const auto before = lib.snapshot();
        Page::clickRow(p.programs(), 1);
        QCOMPARE(Page::current(p.programs()), 1);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"a1", "a2"}));
        QCOMPARE(p.editBox()->text(), QStringLiteral("typed"));
        // A tick then still goes to the program the messages came from, never into B.
        Page::clickTick(p.messages(), 1);
        QCOMPARE(lib.read("plugins/A.txt"), rec("a1") + rec("a2", false));
        QVERIFY(!lib.exists("plugins/B.txt"));
        QCOMPARE(lib.snapshot().size(), before.size());
    }

    void selectingLoadsMessages()
    {
        Library lib;
        lib.write("plugins/A.txt", "\"a1\",#TRUE#\n\"a2\",#FALSE#"); // hand-written: LF, no end
        lib.write("plugins/B.txt", rec("b1", false) + rec("b2"));
        lib.write("plugins/Empty.txt", "");
        Page p(lib);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"a1", "a2"}));
        QCOMPARE(ListRows::ticks(p.messages()), (QList<bool>{true, false}));
        QCOMPARE(Page::current(p.messages()), 0);
        QCOMPARE(p.editBox()->text(), QStringLiteral("a1"));
        QTest::keyClick(p.programs(), Qt::Key_Down);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"b1", "b2"}));
        QCOMPARE(ListRows::ticks(p.messages()), (QList<bool>{false, true}));
        QCOMPARE(p.editBox()->text(), QStringLiteral("b1"));
        // A program without messages leaves the edit box as it is.
        p.editBox()->setText("typed");
        Page::clickRow(p.programs(), 2);
        QCOMPARE(p.messages()->model()->rowCount(), 0);
        QCOMPARE(p.editBox()->text(), QStringLiteral("typed"));
        // Loading and selecting wrote nothing.
        QCOMPARE(lib.read("plugins/A.txt"), QByteArray("\"a1\",#TRUE#\n\"a2\",#FALSE#"));
        QVERIFY(!lib.exists("FileNames.txt"));
    }

    void programTick()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("plugins/B.txt", rec("b"));
        lib.write("FileNames.txt", rec("B", false) + rec("A"));
        Page p(lib);
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec("B", false)); // rewritten at load
        Page::clickTick(p.programs(), 1);
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec("B"));
        Page::clickTick(p.programs(), 0);
        QCOMPARE(lib.read("FileNames.txt"), rec("A", false) + rec("B"));
        QCOMPARE(lib.read("plugins/A.txt"), rec("a"));
        QCOMPARE(lib.read("plugins/B.txt"), rec("b"));
    }

    void addMessage_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("clickFirst");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("selected");
        QTest::newRow("clicked message added again")
            << rec("one") + rec("two", false) << 1 << QString()
            << rec("one") + rec("two", false) + rec("two") << 1;
        QTest::newRow("typed, appended at the end")
            << rec("one") << -1 << "new words, with a comma"
            << rec("one") + rec("new words, with a comma") << 0;
        QTest::newRow("into an empty program")
            << QByteArray() << -1 << "first" << rec("first") << 0;
        QTest::newRow("spaces only") << rec("one") << -1 << "   " << rec("one") + rec("   ") << 0;
        QTest::newRow("Windows-1252 letters")
            << QByteArray() << -1 << QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac")
            << rec("caf\xe9 \x80") << 0;
    }
    void addMessage()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, clickFirst);
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        QFETCH(int, selected);
        Library lib;
        lib.write("plugins/P.txt", file);
        Page p(lib);
        if (clickFirst >= 0)
            Page::clickRow(p.messages(), clickFirst);
        if (!typed.isEmpty()) {
            p.editBox()->clear();
            typeText(p.editBox(), typed);
        }
        p.click("picAddNew");
        QCOMPARE(promptTexts(), QStringList());
        QCOMPARE(lib.read("plugins/P.txt"), written);
        QCOMPARE(ListRows::ticks(p.messages()).last(), true);
        QCOMPARE(Page::current(p.messages()), selected);
        QCOMPARE(p.editBox()->text(), QString());
        QVERIFY(!p.child<QAction>("cmdAddNew")->isEnabled());
    }

    void editMessage()
    {
        Library lib;
        lib.write("plugins/P.txt", rec("one") + rec("two", false) + rec("three"));
        Page p(lib);
        Page::clickRow(p.messages(), 1);
        QCOMPARE(p.editBox()->text(), QStringLiteral("two"));
        p.editBox()->clear();
        QTest::keyClicks(p.editBox(), "TWO");
        p.click("picUpdate");
        const QByteArray once = rec("one") + rec("TWO", false) + rec("three");
        QCOMPARE(lib.read("plugins/P.txt"), once);
        QCOMPARE(Page::current(p.messages()), 1);
        QCOMPARE(p.editBox()->text(), QString());
        // The second click finds the edit box empty and changes nothing.
        p.click("picUpdate");
        QCOMPARE(lib.read("plugins/P.txt"), once);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"one", "TWO", "three"}));
        QCOMPARE(promptTexts(), QStringList());
    }

    void editWithoutSelectedMessage()
    {
        Library lib;
        lib.write("plugins/P.txt", "");
        Page p(lib);
        p.editBox()->setText("text");
        p.click("picUpdate");
        QCOMPARE(lib.read("plugins/P.txt"), QByteArray());
        QCOMPARE(p.editBox()->text(), QStringLiteral("text"));
    }

    void deleteMessage_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("selected");
        const QByteArray m0 = rec("m0"), m1 = rec("m1", false), m2 = rec("m2");
        QTest::newRow("middle: the next one takes its place") << 3 << 1 << m0 + m2 << 1;
        QTest::newRow("first") << 3 << 0 << m1 + m2 << 0;
        QTest::newRow("last: the new last one") << 3 << 2 << m0 + m1 << 1;
        QTest::newRow("the only one") << 1 << 0 << QByteArray() << -1;
    }
    void deleteMessage()
    {
        QFETCH(int, count);
        QFETCH(int, row);
        QFETCH(QByteArray, written);
        QFETCH(int, selected);
        const QList<QByteArray> all{rec("m0"), rec("m1", false), rec("m2")};
        Library lib;
        QByteArray file;
        for (int i = 0; i < count; ++i)
            file += all[i];
        lib.write("plugins/P.txt", file);
        Page p(lib);
        Page::clickRow(p.messages(), row);
        p.click("picDeleteText");
        QCOMPARE(lib.read("plugins/P.txt"), written);
        QCOMPARE(Page::current(p.messages()), selected);
        QCOMPARE(p.editBox()->text(), QString());
        QCOMPARE(p.messages()->model()->rowCount(), count - 1);
        QCOMPARE(promptTexts(), QStringList());
    }

    void untickMessage()
    {
        Library lib;
        lib.write("plugins/P.txt", rec("m0") + rec("m1") + rec("m2"));
        Page p(lib);
        Page::clickTick(p.messages(), 1);
        QCOMPARE(lib.read("plugins/P.txt"), rec("m0") + rec("m1", false) + rec("m2"));
        QCOMPARE(ListRows::ticks(p.messages()), (QList<bool>{true, false, true}));
        // The tick left the current message where it was: m0.
        QTest::keyClick(p.messages(), Qt::Key_Space);
        QCOMPARE(lib.read("plugins/P.txt"), rec("m0", false) + rec("m1", false) + rec("m2"));
    }

    void tickChangesNothingElse_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("afterTick");
        QTest::addColumn<QByteArray>("afterEdit"); // A.txt

        const QByteArray m0 = rec("m0"), m2 = rec("m2");
        QTest::newRow("message tick on another row")
            << "messages" << 2 << false << "plugins/A.txt" << m0 + rec("m1") + rec("m2", false)
            << m0 + rec("typed") + rec("m2", false);
        QTest::newRow("message tick on the chosen row")
            << "messages" << 1 << false << "plugins/A.txt" << m0 + rec("m1", false) + m2
            << m0 + rec("typed", false) + m2;
        QTest::newRow("double-click on a message tick: one change")
            << "messages" << 2 << true << "plugins/A.txt" << m0 + rec("m1") + rec("m2", false)
            << m0 + rec("typed") + rec("m2", false);
        QTest::newRow("program tick of the selected program")
            << "programs" << 0 << false << "FileNames.txt" << rec("A", false) + rec("B")
            << m0 + rec("typed") + m2;
        QTest::newRow("program tick of another program")
            << "programs" << 1 << false << "FileNames.txt" << rec("A") + rec("B", false)
            << m0 + rec("typed") + m2;
        QTest::newRow("double-click on a program tick: one change")
            << "programs" << 1 << true << "FileNames.txt" << rec("A") + rec("B", false)
            << m0 + rec("typed") + m2;
    }
    void tickChangesNothingElse()
    {
        QFETCH(QString, list);
        QFETCH(int, row);
        QFETCH(bool, twice);
        QFETCH(QString, file);
        QFETCH(QByteArray, afterTick);
        QFETCH(QByteArray, afterEdit);
        Library lib;
        lib.write("plugins/A.txt", rec("m0") + rec("m1") + rec("m2"));
        lib.write("plugins/B.txt", rec("b0"));
        lib.write("FileNames.txt", rec("A") + rec("B"));
        Page p(lib);
        QVERIFY(QTest::qWaitForWindowExposed(&p.page));
        // The user chooses m1 and types its new text.
        Page::clickRow(p.messages(), 1);
        p.editBox()->clear();
        QTest::keyClicks(p.editBox(), "typed");

        p.clickTickAsUser(list == "messages" ? p.messages() : p.programs(), row, twice);
        QCOMPARE(lib.read(file), afterTick);
        QCOMPARE(p.editBox()->text(), QStringLiteral("typed"));
        QCOMPARE(Page::current(p.programs()), 0);
        QCOMPARE(Page::current(p.messages()), 1);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"m0", "m1", "m2"}));

        // Edit changes the message the user chose.
        p.click("picUpdate");
        QCOMPARE(lib.read("plugins/A.txt"), afterEdit);
        QCOMPARE(promptTexts(), QStringList());
    }

    void longMessage_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("Edit of its neighbour") << "edit";
        QTest::newRow("Add New of it") << "add";
    }
    void longMessage()
    {
        QFETCH(QString, then);
        QByteArray longText;
        while (longText.size() < 40000)
            longText += "Every day in every way. ";
        longText.truncate(40000);
        Library lib;
        const QByteArray file = rec("m0") + rec(longText, false) + rec("m2");
        lib.write("plugins/A.txt", file);
        Page p(lib);
        Page::clickRow(p.messages(), 1);
        QCOMPARE(p.editBox()->text().size(), 40000);
        QCOMPARE(p.editBox()->text().toLatin1(), longText);
        if (then == "edit") {
            Page::clickRow(p.messages(), 2);
            p.editBox()->setText("new");
            p.click("picUpdate");
            QCOMPARE(lib.read("plugins/A.txt"), rec("m0") + rec(longText, false) + rec("new"));
        } else {
            p.click("picAddNew");
            QCOMPARE(lib.read("plugins/A.txt"), file + rec(longText));
        }
        QCOMPARE(promptTexts(), QStringList());
        // A long name reaches the name box whole as well.
        p.nameBox()->setText(QString::fromLatin1(longText));
        QCOMPARE(p.nameBox()->text().size(), 40000);
    }

    // A program file too big to read at once is read on another thread; a read that ends
    // after the user chose another program is not shown.
    void bigProgramReadMeanwhile_data()
    {
        QTest::addColumn<bool>("otherIsBig");
        QTest::newRow("a small program chosen meanwhile") << false;
        QTest::newRow("another big program chosen meanwhile") << true;
    }
    void bigProgramReadMeanwhile()
    {
        QFETCH(bool, otherIsBig);
        const auto big = [](const QByteArray& first) {
            QByteArray bytes = rec(first);
            while (bytes.size() < ProgramsPage::kReadInBackground)
                bytes += rec("filler, filler, filler, filler, filler", false);
            return bytes;
        };
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("plugins/B.txt", big("b first"));
        const QByteArray c = otherIsBig ? big("c first") : rec("c first") + rec("c2", false);
        lib.write("plugins/C.txt", c);
        Page p(lib);
        QSignalSpy loaded(&p.page, &ProgramsPage::messagesLoaded);
        Page::clickRow(p.programs(), 1);
        Page::clickRow(p.programs(), 2);
        // Every read has ended and said so.
        p.page.finishFileWork();
        QTRY_VERIFY(!loaded.isEmpty());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded[0][0].toString(), QStringLiteral("C"));
        QCOMPARE(Page::current(p.programs()), 2);
        QCOMPARE(p.messages()->model()->rowCount(), int(RecordFormat::parse(c).size()));
        QCOMPARE(p.messages()->model()->index(0, 0).data().toString(), QStringLiteral("c first"));
        QCOMPARE(p.editBox()->text(), QStringLiteral("c first"));
        // A tick goes to the program shown, and B is left as it was.
        Page::clickTick(p.messages(), 0);
        p.page.finishFileWork();
        QVERIFY(lib.read("plugins/C.txt").startsWith(rec("c first", false)));
        QCOMPARE(lib.read("plugins/B.txt"), big("b first"));
        QCOMPARE(promptTexts(), QStringList());
    }

    // A big program file is written on another thread. A write that fails is told once it has
    // ended, in the same words, and the list then shows what the file holds; nothing typed
    // is lost.
    void bigWriteFailsAfterwards_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("box"); // the edit box after the failure
        QTest::newRow("tick") << "tick"
                              << "m0";
        QTest::newRow("Add New") << "add"
                                 << "typed";
        QTest::newRow("Edit") << "edit"
                              << "typed";
        QTest::newRow("Delete") << "delete"
                                << "";
    }
    void bigWriteFailsAfterwards()
    {
        QFETCH(QString, action);
        QFETCH(QString, box);
        Library lib;
        const QByteArray file = bigProgram(ProgramsPage::kReadInBackground);
        lib.write("plugins/A.txt", file);
        Page p(lib);
        p.page.finishFileWork();
        const QStringList shown = ListRows::texts(p.messages());
        const QList<bool> ticked = ListRows::ticks(p.messages());
        QCOMPARE(shown.first(2), (QStringList{"m0", "m1"}));

        const DiskFull full(ProgramsPage::kReadInBackground / 2);
        QVERIFY(full.active());
        if (action == "tick") {
            Page::clickTick(p.messages(), 1);
        } else if (action == "delete") {
            Page::clickRow(p.messages(), 1);
            p.click("picDeleteText");
        } else {
            Page::clickRow(p.messages(), 1);
            p.editBox()->setText("typed");
            p.click(action == "add" ? "picAddNew" : "picUpdate");
        }
        // The window did not wait for the write.
        QCOMPARE(promptTexts(), QStringList());
        p.page.finishFileWork();
        // The words the same failure gives a write made at once.
        const QString why =
            LibraryFiles(lib.dir.path()).writeMessages("A", RecordFormat::parseStore(file)).why();
        QVERIFY(!why.isEmpty());
        QCOMPARE(promptTexts(),
                 QStringList{QStringLiteral("The change was not saved: the file \"%1\" %2.")
                                 .arg(QDir::toNativeSeparators(lib.path("plugins/A.txt")), why)});
        QCOMPARE(lib.read("plugins/A.txt"), file);
        p.page.finishFileWork();
        QCOMPARE(ListRows::texts(p.messages()), shown);
        QCOMPARE(ListRows::ticks(p.messages()), ticked);
        QCOMPARE(p.editBox()->text(), box);
    }

    // Writes of a big file land in the order they were made, a read after them shows the
    // last, and one still under way when the program ends is finished first.
    void bigWritesInOrderAndFinishedAtTheEnd()
    {
        Library lib;
        const QByteArray file = bigProgram(4 * ProgramsPage::kReadInBackground);
        lib.write("plugins/A.txt", file);
        lib.write("plugins/B.txt", rec("b"));
        Page p(lib);
        p.page.finishFileWork();
        Page::clickTick(p.messages(), 0);
        Page::clickTick(p.messages(), 1);
        p.editBox()->setText("new");
        p.click("picAddNew");
        Page::clickRow(p.messages(), 0);
        p.click("picDeleteText");
        // Away and back: the list is read after the writes.
        Page::clickRow(p.programs(), 1);
        Page::clickRow(p.programs(), 0);
        p.page.finishFileWork();
        QByteArray expected = rec("m1") + file.sliced(rec("m0").size() + rec("m1", false).size());
        expected += rec("new");
        QCOMPARE(lib.read("plugins/A.txt"), expected);
        QCOMPARE(ListRows::texts(p.messages()).first(2),
                 (QStringList{"m1", "filler 0, filler, filler, filler"}));
        QCOMPARE(ListRows::texts(p.messages()).last(), QStringLiteral("new"));

        Page::clickTick(p.messages(), 0);
        expected.replace(0, rec("m1").size(), rec("m1", false));
        // What ends the program: the write is done before it is gone.
        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
        QCOMPARE(lib.read("plugins/A.txt"), expected);
        QCOMPARE(promptTexts(), QStringList());
    }

    // A row of a text of megabytes shows its beginning: the list is handed no more than a row
    // can show, so it never lays out the whole text, and it paints as the beginning alone does.
    void longRowShowsItsBeginning()
    {
        QByteArray longText;
        while (longText.size() < 2 * ProgramsPage::kReadInBackground)
            longText += "Every day in every way. ";
        const QByteArray start = longText.left(CheckListModel::kShownLength);
        Library lib;
        lib.write("plugins/A.txt", rec("short") + rec(longText));
        lib.write("plugins/B.txt", rec("short") + rec(start));
        Page p(lib);
        QSignalSpy loaded(&p.page, &ProgramsPage::messagesLoaded);
        QVERIFY(loaded.wait());
        QCOMPARE(p.messages()->model()->index(1, 0).data().toString(), QString::fromLatin1(start));
        const QImage whole = p.messages()->grab().toImage();
        Page::clickRow(p.programs(), 1);
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"short", QString::fromLatin1(start)}));
        QCOMPARE(p.messages()->grab().toImage(), whole);
    }

    // The message list answers the keys as a one-column list does, keeps its top row whole
    // wherever it is scrolled, the end included, and makes each row as tall as its item
    // delegate asks.
    void listKeys_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("End") << 5 << int(Qt::Key_End) << 39;
        QTest::newRow("Home") << 30 << int(Qt::Key_Home) << 0;
        QTest::newRow("Down at the end") << 39 << int(Qt::Key_Down) << 39;
        QTest::newRow("Page Down") << 0 << int(Qt::Key_PageDown) << -1;
        QTest::newRow("Right") << 7 << int(Qt::Key_Right) << 7;
        QTest::newRow("Left") << 7 << int(Qt::Key_Left) << 7;
    }
    void listKeys()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, to);
        QByteArray messages;
        for (int i = 0; i < 40; ++i)
            messages += rec("Message " + QByteArray::number(i));
        Library lib;
        lib.write("plugins/A.txt", messages);
        Page p(lib);
        QTableView* view = p.messages();
        QCOMPARE(view->model()->rowCount(), 40);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(from, 0));
        QTest::keyClick(view, Qt::Key(key));
        const QRect shown = view->viewport()->rect();
        const QModelIndex top = view->indexAt(QPoint(2, 1));
        const QModelIndex bottom = view->indexAt(QPoint(2, shown.height() - 1));
        if (to < 0) // a page down: the row that was last seen whole
            QCOMPARE(Page::current(view), bottom.row() - 1);
        else
            QCOMPARE(Page::current(view), to);
        QVERIFY(shown.contains(view->visualRect(view->currentIndex())));
        QCOMPARE(view->visualRect(top).top(), 0);

        QStyleOptionViewItem option;
        option.initFrom(view);
        option.widget = view;
        QCOMPARE(view->visualRect(top).height(),
                 view->itemDelegate()->sizeHint(option, top).height());
    }

    // The edit box takes the beginning of a very long message; Add New and Edit keep the message
    // whole while the box shows that beginning unchanged, and store what the box shows once the
    // user has changed it.
    void messageLongerThanTheEditBox_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("changed");
        QTest::newRow("Add New") << "picAddNew" << false;
        QTest::newRow("Edit") << "picUpdate" << false;
        QTest::newRow("Edit after a change") << "picUpdate" << true;
    }
    void messageLongerThanTheEditBox()
    {
        QFETCH(QString, then);
        QFETCH(bool, changed);
        QByteArray longText;
        while (longText.size() < ProgramsPage::kEditBoxLength + 5000)
            longText += "Calm and steady. ";
        Library lib;
        lib.write("plugins/A.txt", rec(longText, false) + rec("m1"));
        Page p(lib);
        QCOMPARE(p.editBox()->text(),
                 QString::fromLatin1(longText.left(ProgramsPage::kEditBoxLength)));
        if (changed)
            QTest::keyClick(p.editBox(), Qt::Key_Backspace);
        p.click(then.toLatin1());
        const QByteArray kept =
            changed ? longText.left(ProgramsPage::kEditBoxLength - 1) : longText;
        QCOMPARE(lib.read("plugins/A.txt"), then == "picAddNew"
                                                ? rec(longText, false) + rec("m1") + rec(kept)
                                                : rec(kept, false) + rec("m1"));
        QCOMPARE(p.editBox()->text(), QString());
        QCOMPARE(promptTexts(), QStringList());
    }

    void emptyEditBox()
    {
        Library lib;
        lib.write("plugins/P.txt", rec("m0"));
        Page p(lib);
        p.editBox()->clear();
        QVERIFY(!p.child<QAction>("cmdAddNew")->isEnabled());
        QVERIFY(!p.child<QAction>("cmdUpdate")->isEnabled());
        p.click("picAddNew");
        p.click("picUpdate");
        QCOMPARE(m_prompt->shown.size(), 1);
        QCOMPARE(m_prompt->shown[0].text, QStringLiteral("Enter Message and Click on Add New"));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Critical);
        QCOMPARE(m_prompt->shown[0].buttons, Prompt::Buttons::Ok);
        QCOMPARE(lib.read("plugins/P.txt"), rec("m0"));
        QTest::keyClicks(p.editBox(), "x");
        QVERIFY(p.child<QAction>("cmdAddNew")->isEnabled());
        QVERIFY(p.child<QAction>("cmdUpdate")->isEnabled());
    }

    void addWithEmptyProgramList()
    {
        Library lib;
        Page p(lib);
        QTest::keyClicks(p.editBox(), "homeless");
        p.click("picAddNew");
        QCOMPARE(ListRows::texts(p.messages()), QStringList{"homeless"});
        QCOMPARE(lib.snapshot().keys(), QStringList{"plugins"});
        QCOMPARE(promptTexts(), QStringList());
    }

    void refusedCharacters_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("text");
        QTest::newRow("add, double quote") << false << "say \"yes\"";
        QTest::newRow("add, Greek letter") << false << QString::fromUtf8("\xce\xa9mega");
        QTest::newRow("add, emoji") << false << QString::fromUtf8("go \xf0\x9f\x98\x80");
        QTest::newRow("edit, double quote") << true << "\"";
        QTest::newRow("edit, CJK") << true << QString::fromUtf8("\xe5\x90\x8d");
    }
    void refusedCharacters()
    {
        QFETCH(bool, edit);
        QFETCH(QString, text);
        Library lib;
        lib.write("plugins/P.txt", rec("m0"));
        Page p(lib);
        const auto before = lib.snapshot();
        p.editBox()->setText(text);
        p.click(edit ? "picUpdate" : "picAddNew");
        QCOMPARE(m_prompt->shown.size(), 1);
        QCOMPARE(m_prompt->shown[0].text,
                 (edit ? QStringLiteral("The message cannot be changed: %1")
                       : QStringLiteral("This message cannot be added: %1"))
                     .arg(RecordFormat::checkText(text).why()));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Exclamation);
        QCOMPARE(lib.snapshot(), before);
        QCOMPARE(ListRows::texts(p.messages()), QStringList{"m0"});
        QCOMPARE(p.editBox()->text(), text);
    }

    void unwritableProgramFile_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("tick") << "tick";
        QTest::newRow("add") << "add";
        QTest::newRow("edit") << "edit";
        QTest::newRow("delete") << "delete";
    }
    void unwritableProgramFile()
    {
        QFETCH(QString, action);
        Library lib;
        lib.write("plugins/P.txt", rec("m0") + rec("m1"));
        Page p(lib);
        lib.makeUnwritable("plugins/P.txt");
        const auto before = lib.snapshot();
        if (action == "tick") {
            Page::clickTick(p.messages(), 0);
        } else if (action == "add" || action == "edit") {
            p.editBox()->setText("words");
            p.click(action == "add" ? "picAddNew" : "picUpdate");
        } else {
            p.click("picDeleteText");
        }
        QCOMPARE(m_prompt->shown.size(), 1);
        QVERIFY(m_prompt->shown[0].text.startsWith("The change was not saved"));
        QVERIFY(
            m_prompt->shown[0].text.contains(QDir::toNativeSeparators(lib.path("plugins/P.txt"))));
        QCOMPARE(m_prompt->shown[0].icon, Prompt::Icon::Critical);
        QCOMPARE(lib.snapshot(), before);
        // The list shows what the file holds: nothing can be read from a folder.
        QCOMPARE(p.messages()->model()->rowCount(), 0);
        if (action == "add" || action == "edit")
            QCOMPARE(p.editBox()->text(), QStringLiteral("words"));
    }

    // A write the file system refuses, as root too: a folder without write permission, or a
    // disk with no room left.
    void failedWritesKeepTheProgramFile_data() { addWriteFailureRows(); }
    void failedWritesKeepTheProgramFile()
    {
        QFETCH(bool, fullDisk);
        Library lib;
        lib.write("plugins/P.txt", rec("m0") + rec("m1"));
        Page p(lib);
        {
            FailingWrites failing(fullDisk, lib.path("plugins"), lib.dir.path());
            QVERIFY(failing.active());
            Page::clickTick(p.messages(), 1);
            p.editBox()->setText("added");
            p.click("picAddNew");
        }
        QCOMPARE(m_prompt->shown.size(), 2);
        for (const auto& shown : m_prompt->shown) {
            QVERIFY2(shown.text.startsWith("The change was not saved"), qPrintable(shown.text));
            QVERIFY(shown.text.contains(QDir::toNativeSeparators(lib.path("plugins/P.txt"))));
        }
        QCOMPARE(lib.read("plugins/P.txt"), rec("m0") + rec("m1"));
        QCOMPARE(ListRows::texts(p.messages()), (QStringList{"m0", "m1"}));
        QCOMPARE(ListRows::ticks(p.messages()), (QList<bool>{true, true}));
        QCOMPARE(p.editBox()->text(), QStringLiteral("added"));
    }

    void unwritableSelectionList()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("plugins/B.txt", rec("b"));
        lib.write("FileNames.txt", rec("A") + rec("B"));
        Page p(lib);
        lib.makeUnwritable("FileNames.txt");
        Page::clickTick(p.programs(), 1);
        QCOMPARE(m_prompt->shown.size(), 1);
        QVERIFY(m_prompt->shown[0].text.startsWith("The change was not saved"));
        QVERIFY(
            m_prompt->shown[0].text.contains(QDir::toNativeSeparators(lib.path("FileNames.txt"))));
        // Nothing can be read from a folder, so no program is ticked there.
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{false, false}));

        // A create still makes the program's file; the list shows the tick on disk.
        p.create("New");
        QCOMPARE(m_prompt->shown.size(), 2);
        QVERIFY(
            m_prompt->shown[1].text.contains(QDir::toNativeSeparators(lib.path("FileNames.txt"))));
        QCOMPARE(lib.read("plugins/New.txt"), QByteArray());
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"A", "B", "New"}));
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{false, false, false}));
        QVERIFY(QFileInfo(lib.path("FileNames.txt")).isDir());
    }

    void failedSelectionWriteRevertsTheTick_data() { addWriteFailureRows(); }
    void failedSelectionWriteRevertsTheTick()
    {
        QFETCH(bool, fullDisk);
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("plugins/B.txt", rec("b"));
        lib.write("FileNames.txt", rec("A") + rec("B", false));
        Page p(lib);
        {
            FailingWrites failing(fullDisk, lib.dir.path(), lib.dir.path());
            QVERIFY(failing.active());
            Page::clickTick(p.programs(), 0);
            Page::clickTick(p.programs(), 1);
        }
        QCOMPARE(m_prompt->shown.size(), 2);
        for (const auto& shown : m_prompt->shown) {
            QVERIFY2(shown.text.startsWith("The change was not saved"), qPrintable(shown.text));
            QVERIFY(shown.text.contains(QDir::toNativeSeparators(lib.path("FileNames.txt"))));
        }
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec("B", false));
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{true, false}));
    }

    void accessKeys()
    {
        Library lib;
        lib.write("plugins/P.txt", rec("m0"));
        Page p(lib);
        p.page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.page));
        p.editBox()->setFocus();
        p.editBox()->setText("by key");
        QTest::keyClick(&p.page, Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(lib.read("plugins/P.txt"), rec("m0") + rec("by key"));
        p.nameBox()->setText("Keyed");
        QTest::keyClick(&p.page, Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(lib.read("FileNames.txt"), rec("P", false) + rec("Keyed"));
        // With text in the edit box Alt+D is both "&Delete" and "E&dit": it does nothing.
        const auto beforeAmbiguous = lib.snapshot();
        p.editBox()->setText("either");
        QTest::keyClick(&p.page, Qt::Key_D, Qt::AltModifier);
        QCoreApplication::processEvents();
        QCOMPARE(lib.snapshot(), beforeAmbiguous);
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"P", "Keyed"}));
        // With the edit box empty, Edit is disabled and Alt+D belongs to Delete alone.
        p.editBox()->clear();
        QTest::keyClick(&p.page, Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(!lib.exists("plugins/Keyed.txt"));
        QCOMPARE(lib.read("FileNames.txt"), rec("P", false));
        QCOMPARE(promptTexts(), QStringList());
    }

    void programThatCannotBeDeleted()
    {
        Library lib;
        lib.write("plugins/A.txt", rec("a"));
        lib.write("plugins/B.txt", rec("b"));
        lib.write("FileNames.txt", rec("A") + rec("B", false));
        Page p(lib);
        Page::clickRow(p.programs(), 1);
        {
            ReadOnlyFolder readOnly(lib.path("plugins"), lib.dir.path());
            QVERIFY(readOnly.active());
            p.click("picDeleteFile");
        }
        QCOMPARE(promptTexts(),
                 QStringList{QStringLiteral("The program \"B\" was not deleted: the file \"%1\" "
                                            "could not be removed.")
                                 .arg(QDir::toNativeSeparators(lib.path("plugins/B.txt")))});
        QCOMPARE(lib.read("plugins/B.txt"), rec("b"));
        QCOMPARE(ListRows::texts(p.programs()), (QStringList{"A", "B"}));
        QCOMPARE(ListRows::ticks(p.programs()), (QList<bool>{true, false}));
        QCOMPARE(lib.read("FileNames.txt"), rec("A") + rec("B", false));
    }
};

QTEST_MAIN(TestProgramsPage)
#include "tst_programspage.moc"
