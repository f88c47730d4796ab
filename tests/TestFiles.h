#pragma once

// Small fixtures on disk: files written byte by byte, and read back as bytes.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QTest>

namespace TestFiles {

using Files = QList<QPair<QString, QByteArray>>; // path relative to the root, bytes

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline void writeFiles(const QString& root, const Files& files)
{
    for (const auto& [path, bytes] : files)
        writeFile(root + QLatin1Char('/') + path, bytes);
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// One record of a program file or of the selection list, as the program writes it.
inline QByteArray rec(const QByteArray& text, bool ticked = true)
{
    return '"' + text + '"' + (ticked ? ",#TRUE#\r\n" : ",#FALSE#\r\n");
}

// Every file and folder below `root` with its bytes ("<dir>" for a folder), by relative path.
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> all;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        all.insert(QDir(root).relativeFilePath(file),
                   QFileInfo(file).isDir() ? QByteArray("<dir>") : readFile(file));
    }
    return all;
}

} // namespace TestFiles
