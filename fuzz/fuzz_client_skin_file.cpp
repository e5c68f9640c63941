#include "formats/SkinFile.h"

#include <cstdint>

// Short, long and lying files leave a usable skin; the image is only ever a whole BMP inside the data.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    korvex::formats::SkinSettings skin;
    korvex::formats::ParseSkin(bytes, skin);
    if (!skin.ListImage.isEmpty() &&
        (!skin.ListImage.startsWith("BM") || skin.ListImage.size() > bytes.size()))
        __builtin_trap();
    korvex::formats::SkinSettings again;
    korvex::formats::ParseSkin(korvex::formats::SerializeSkin(skin), again);
    if (again.FormColor != skin.FormColor || again.ListImage != skin.ListImage) __builtin_trap();
    return 0;
}
