#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// Windows-1252, the code page of every text file the program reads and writes, on every
// platform, so a library moves between Windows and Linux unchanged.
namespace Cp1252 {

QString decode(const QByteArray& bytes);

// Many Windows editors save a file as UTF-8 behind a byte-order mark. Such a file is read as
// UTF-8, the mark left out; any other file is Windows-1252.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
bool hasUtf8Bom(const QByteArray& bytes);
QString decodeFile(const QByteArray& bytes);

// The bytes of text for a file of `files` ("program files", "goal files"). It fails when text
// holds a character the code page cannot represent, and then says which: "The character "Ω"
// (U+03A9) cannot be stored, because the goal files hold only Western European
// (Windows-1252) characters."
Produced<QByteArray> encode(const QString& text, const QString& files);

// The record writer's fast path, one buffer for a whole file: appends the bytes of text to
// out; false (out then holds a partial tail) when text holds a character the code page cannot
// represent, and encode() then gives the words for the user.
bool appendEncoded(QByteArray& out, QStringView text);

// The first character of text the code page cannot represent, or an empty string.
QString firstUnrepresentable(const QString& text);

} // namespace Cp1252
