#include "formats/Dbf.h"

#include <algorithm>
#include <cstdint>

// A damaged table is refused with DbfError or read within its bounds; never a crash.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    korvex::formats::DbfTable table;
    try {
        table.OpenBytes(bytes);
    } catch (const korvex::formats::DbfError&) {
        return 0;
    }
    int longest = 0;
    for (const auto& f : table.Fields())
        longest = std::max(longest, f.length);
    for (table.First(); !table.Eof(); table.Next())
        for (const auto& f : table.Fields())
            if (table.FieldValue(f.name).size() > longest) __builtin_trap();
    table.Locate("Name", "alice", Qt::CaseInsensitive);
    return 0;
}
