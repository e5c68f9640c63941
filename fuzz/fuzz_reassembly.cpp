#include "net/Frame.h"

#include <cstdint>

// The first byte of each round picks how the rest is cut into reads, so the fuzzer explores split points.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t step = 1 + data[0] % 64;
    korvex::net::FrameAssembler assembler;
    qsizetype delivered = 0;
    for (size_t pos = 1; pos < size; pos += step) {
        const QByteArray chunk(reinterpret_cast<const char*>(data + pos), qsizetype(std::min(step, size - pos)));
        assembler.Feed(chunk, [&](const QByteArray& body) {
            if (body.isEmpty()) __builtin_trap(); // an empty frame is never valid
            delivered += body.size();
        });
        if (assembler.FrameLen() < 0 || assembler.FrameBuf().size() > korvex::net::MaxFrameBody) __builtin_trap();
    }
    if (delivered > qsizetype(size)) __builtin_trap();
    return 0;
}
