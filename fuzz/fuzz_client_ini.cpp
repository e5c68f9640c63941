#include "formats/IniFile.h"

#include <cstdint>

// Any text parses; writing it back and parsing again gives the same values for what was read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    korvex::formats::IniFile ini(QString{});
    ini.Parse(text);
    const QByteArray name = ini.ReadString("Main", "UserName");
    ini.WriteString("Config", "AutoLogin", text.left(40));
    korvex::formats::IniFile again(QString{});
    again.Parse(ini.Serialize());
    if (again.ReadString("Main", "UserName") != name) __builtin_trap();
    if (!again.ValueExists("Config", "AutoLogin")) __builtin_trap();
    return 0;
}
