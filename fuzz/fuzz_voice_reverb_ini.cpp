// "Data/Reverb.ini" as found on disk: list, load every section, save and delete one.
#include "voice/ReverbPresets.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("Reverb.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    korvex::voice::ReverbPresetFile file(path);
    const QList<QByteArray> names = file.List();
    for (const QByteArray& name : names) {
        if (const auto preset = file.Load(name)) {
            korvex::voice::Reverb reverb(8000);
            reverb.SetPreset(*preset);
            reverb.SetEnabled(true);
            std::int16_t pcm[256] = {30000};
            reverb.Process(pcm, 256);
        }
    }
    korvex::voice::ReverbPreset mine;
    mine.taps = {{10, 50}};
    file.Save("Fuzz", mine);
    if (file.Load("Fuzz") != mine) __builtin_trap();
    file.Delete("Fuzz");
    if (file.Load("Fuzz")) __builtin_trap();
    return 0;
}
