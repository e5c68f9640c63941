#include "contacts/BlockList.h"
#include "contacts/PictureQueue.h"

#include <cstdint>

// A block list text from the server and a picture address from a message: the names taken from the list are
// exactly its non-empty CR LF separated parts, each reported as blocked; a picture's file name is never a
// path.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> names = korvex::contacts::BlockListNames(text);
    QByteArray rebuilt;
    for (const QByteArray& n : names) {
        if (n.isEmpty() || n.contains("\r\n")) __builtin_trap();
        if (!korvex::contacts::IsBlocked(text, n)) __builtin_trap();
        rebuilt += n + "\r\n";
    }
    if (korvex::contacts::BlockListNames(rebuilt) != names) __builtin_trap();
    const QString file = korvex::contacts::PictureQueue::FileNameOf(text);
    if (file.contains('/') || file.contains('\\')) __builtin_trap();
    return 0;
}
