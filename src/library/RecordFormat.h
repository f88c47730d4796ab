#pragma once

#include "core/Outcome.h"
#include "library/Record.h"
#include "library/RecordStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// The one record format of the program files and the selection list: per line a quoted
// text, a comma and "#TRUE#" or "#FALSE#", ended by CR LF, in Windows-1252.
namespace RecordFormat {

// Reads every record. Accepts what people write by hand: blank lines are skipped, a record
// without a tick field or with any tick other than "#TRUE#" is unticked, an unterminated
// quote runs to the end. A file that begins with a UTF-8 byte-order mark is read as UTF-8.
// Always ends, whatever the bytes.
QList<Record> parse(const QByteArray& bytes);
// The same records, held compactly: a file in Windows-1252 (or in valid UTF-8) is kept as its
// own bytes and only the rows' places are added.
RecordStore parseStore(QByteArray bytes);

// Walks the records as parse() reads them, handing out each text as the bytes the file holds
// (between the quotes, line breaks included) with its tick, in file order, until found
// returns false. The texts are UTF-8 when the bytes begin with a byte-order mark
// (Cp1252::hasUtf8Bom), Windows-1252 otherwise. Nothing is decoded or copied, so a file of a
// hundred megabytes never becomes a list of a million strings on its way through.
void scan(QByteArrayView bytes, const std::function<bool(QByteArrayView text, bool ticked)>& found);

// What to do with a text that Windows-1252 cannot hold.
enum class Unrepresentable {
    Refuse,    // the write fails and names it
    WriteUtf8, // the whole file is written as UTF-8 behind a byte-order mark, as it was read
};

// The file's bytes: every record in order, in Windows-1252 where every text fits. A text
// holding a double quote cannot survive a write and a read, so it is always refused.
Produced<QByteArray> serialize(const QList<Record>& records,
                               Unrepresentable unrepresentable = Unrepresentable::Refuse);
// The same bytes as for records.toRecords(), written from the stored bytes where it can.
Produced<QByteArray> serialize(const RecordStore& records,
                               Unrepresentable unrepresentable = Unrepresentable::Refuse);

// Whether text can be stored in a record, and if not, why.
Outcome checkText(const QString& text);

// The character that keeps text out of a record (a double quote, or the first character
// Windows-1252 cannot represent); empty when text can be stored.
QString firstUnstorable(const QString& text);

} // namespace RecordFormat
