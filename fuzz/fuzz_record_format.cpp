// libFuzzer target for the record-format reader: any bytes must be read to an end without a
// crash, whatever the reader yields must survive a write and a read unchanged, and the compact
// store must hold and write exactly what the list of records does.
#include "library/RecordFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<Record> records = RecordFormat::parse(bytes);
    const Produced<QByteArray> encoded = RecordFormat::serialize(records);
    const RecordStore store = RecordFormat::parseStore(bytes);
    if (store.toRecords() != records)
        std::abort();
    const Produced<QByteArray> fromStore = RecordFormat::serialize(store);
    if (fromStore.ok() != encoded.ok() || fromStore.value != encoded.value)
        std::abort();
    if (encoded.ok()) {
        // What the reader gives back the writer must reproduce, record for record, except
        // texts the writer rightly refuses (a double quote from an unquoted field).
        if (RecordFormat::parse(encoded.value) != records)
            std::abort();
    }
    return 0;
}
