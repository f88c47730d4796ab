#pragma once

#include <QByteArrayView>

// Walks the records of a library file's bytes one at a time, as RecordFormat::parse reads them,
// but hands out each text as the bytes the file holds instead of a decoded QString. The show
// gathers its messages through it, so a program file of a hundred megabytes never becomes a
// list of a million strings on its way into the pool.
class MessageScan
{
public:
    // `bytes` must outlive the scan.
    explicit MessageScan(QByteArrayView bytes);

    // Whether the texts are UTF-8 (the file begins with a byte-order mark) rather than
    // Windows-1252.
    bool utf8() const { return m_utf8; }

    // The next record's text bytes (between the quotes, line breaks included) and its tick;
    // false once the bytes hold no further record.
    bool next(QByteArrayView* text, bool* ticked);

private:
    const char* m_p;
    const char* m_end;
    bool m_utf8 = false;
};
