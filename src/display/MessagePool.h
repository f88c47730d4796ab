#pragma once

#include <QString>
#include <QStringList>

// The texts the show draws from: the ticked, non-empty messages of the ticked programs, in
// selection-list order and within a program in file order.
class MessagePool
{
public:
    explicit MessagePool(QString appFolder);

    // Rebuilds the pool from `FileNames.txt` and the program files. False, with the pool
    // left as it was, only when the selection list does not exist; true otherwise, also when
    // nothing was gathered. Every file is closed again before this returns.
    bool GatherMessages();
    // Appends the ticked, non-empty messages of one program. A name that could lead outside
    // `plugins`, or a program whose file is missing or unreadable, adds nothing.
    void AddProgramMessages(const QString& name);

    const QStringList& messages() const { return m_messages; }
    qsizetype size() const { return m_messages.size(); }
    bool isEmpty() const { return m_messages.isEmpty(); }
    qsizetype last() const { return m_messages.size() - 1; }
    const QString& at(qsizetype index) const { return m_messages.at(index); }

    // The index that a random value r (0 <= r < 1) picks: r x last, rounded half to even, so
    // the first and the last index come up half as often as the others.
    static qint32 randomIndex(double r, qint32 last);

    // Texts read from a record may hold a CR LF pair from a quoted text spanning two lines;
    // the pair never reaches the screen.
    static QString withoutLineBreaks(QString text);

private:
    QString m_folder;
    QStringList m_messages;
};
