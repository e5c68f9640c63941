#include "formats/TableFile.h"

#include <cstdint>

// Never reads past the data; what parses serialises to a prefix-compatible table of the same shape.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto table = korvex::formats::ParseTableFile(bytes);
    if (!table) return 0;
    for (const auto& record : table->records)
        if (record.size() != table->fields.size()) __builtin_trap();
    const auto again = korvex::formats::ParseTableFile(korvex::formats::SerializeTableFile(*table));
    if (!again || again->records.size() != table->records.size()) __builtin_trap();
    return 0;
}
