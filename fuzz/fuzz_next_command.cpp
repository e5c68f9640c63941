#include "net/Command.h"

#include <cstdint>

// The splitter must terminate, never return a field containing a reserved byte, and agree with the reader.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray original = text;
    korvex::net::CommandReader reader(original);
    korvex::net::ParsedCommand a, b;
    int count = 0;
    while (korvex::net::NextCommand(text, a)) {
        if (!reader.Next(b) || a.name != b.name || a.fields != b.fields) __builtin_trap();
        if (a.name.contains(korvex::net::CmdStart) || a.name.contains(korvex::net::FieldSep)) __builtin_trap();
        for (const auto& f : a.fields)
            if (f.contains(korvex::net::CmdStart) || f.contains(korvex::net::FieldSep)) __builtin_trap();
        if (++count > int(size)) __builtin_trap();
    }
    if (reader.Next(b)) __builtin_trap();
    return 0;
}
