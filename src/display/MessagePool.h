#pragma once

#include "display/ScreenCut.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The texts the show draws from: the ticked, non-empty messages of the ticked programs, in
// selection-list order and within a program in file order.
//
// A library may hold millions of messages or a program file of a hundred megabytes, so the
// texts are kept as the files hold them, one after the other in a single buffer, and a text
// is decoded only when it is asked for: the pool takes about as much memory as the texts take
// on disk, not a string, its header and its allocation per message.
class MessagePool
{
public:
    explicit MessagePool(QString appFolder = {});

    const QString& appFolder() const { return m_folder; }

    // Rebuilds the pool from `FileNames.txt` and the program files. False, with the pool
    // left as it was, only when the selection list does not exist; true otherwise, also when
    // nothing was gathered. Every file is closed again before this returns. `cancelled` is
    // asked now and then; once it says yes, gathering ends early and what the pool then holds
    // is of no use.
    bool GatherMessages(const std::function<bool()>& cancelled = {});
    // Appends the ticked, non-empty messages of one program. A name that could lead outside
    // `plugins`, or a program whose file is missing or unreadable, adds nothing.
    void AddProgramMessages(const QString& name) { addProgram(name, {}); }

    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    qsizetype last() const { return m_ends.size() - 1; }
    // The text at `index`, decoded now.
    QString at(qsizetype index) const;
    // As much of the text at `index` as can reach the screen, decoded now: cut to the screen
    // with that reach, it gives what the whole text gives, yet a text of many megabytes costs
    // no more than one that fills the screen.
    QString at(qsizetype index, const ScreenCut::Reach& reach) const;
    // Every text, in order: a copy, for a small pool.
    QStringList messages() const;

    // The index that a random value r (0 <= r < 1) picks: r x last, rounded half to even, so
    // the first and the last index come up half as often as the others.
    static qint32 randomIndex(double r, qint32 last);

    // Texts read from a record may hold a CR LF pair from a quoted text spanning two lines;
    // the pair never reaches the screen.
    static QString withoutLineBreaks(QString text);

private:
    bool addProgram(const QString& name, const std::function<bool()>& cancelled);

    // The programs' files are Windows-1252 or UTF-8, and their texts stay so in the buffer: a
    // run of texts in one encoding starts at `first`.
    struct Run
    {
        qsizetype first = 0;
        bool utf8 = false;
    };

    QByteArrayView bytesAt(qsizetype index) const;
    bool isUtf8(qsizetype index) const;

    QString m_folder;
    QByteArray m_text;       // every text's bytes, one after the other
    QList<qsizetype> m_ends; // where each text ends in m_text; it begins where the one before ends
    QList<Run> m_runs;
};
