// Cost of enveloping and opening one command, against a baseline assembled directly from the fastest parts on
// this machine: OpenSSL's Blowfish key schedule on a fresh random key, deflate level 9 on a reused stream, ECB
// with the protocol's byte order; and for opening, key schedule + ECB + inflate on a reused stream.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "net/Command.h"
#include "net/Envelope.h"
#include "support/Ratio.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>
#include <zlib.h>

#include <QtEndian>

#include <random>

using namespace korvex::net;

namespace {

// Command texts of the four sizes: a chat line's worth of markup (compressible) and a random file chunk.
QByteArray commandOfSize(int size) {
    if (size >= 6000) {
        std::mt19937 rng(6200);
        QByteArray chunk(4600, Qt::Uninitialized);
        for (char& c : chunk) c = char(rng());
        QByteArray text = MakeCommand("SendFile", {"alice", "bob", "photo.jpg", "123456", "0", "4600", "77",
                                                   EscapeChunk(chunk)});
        return text.left(size);
    }
    QByteArray html = "<b><font size=\"3\" face=\"Tahoma\" color=\"#000080\">";
    while (html.size() < size) html += "hello there, how are you doing today? ";
    QByteArray text = MakeCommand("ChatMsg", {"Lobby", "alice", html});
    text.truncate(size - 1);
    return text + char(FieldSep);
}

const int Sizes[] = {40, 300, 2000, 6200};

struct ReusedDeflate {
    z_stream s{};
    ReusedDeflate() { deflateInit(&s, 9); }
    ~ReusedDeflate() { deflateEnd(&s); }
};
struct ReusedInflate {
    z_stream s{};
    ReusedInflate() { inflateInit(&s); }
    ~ReusedInflate() { inflateEnd(&s); }
};

void ecb(BF_KEY& key, unsigned char* data, size_t size, int enc) {
    for (size_t i = 0; i < size; i += 8) {
        BF_LONG w[2] = {qFromLittleEndian<quint32>(data + i), qFromLittleEndian<quint32>(data + i + 4)};
        enc ? BF_encrypt(w, &key) : BF_decrypt(w, &key);
        qToLittleEndian<quint32>(quint32(w[0]), data + i);
        qToLittleEndian<quint32>(quint32(w[1]), data + i + 4);
    }
}

// Baseline encoder; returns the padded cipher text so the decode baseline has real input.
std::vector<unsigned char> baselineEncode(const QByteArray& text, ReusedDeflate& d, std::mt19937_64& rng) {
    deflateReset(&d.s);
    std::vector<unsigned char> buf(deflateBound(&d.s, uLong(text.size())) + 16);
    d.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    d.s.avail_in = uInt(text.size());
    d.s.next_out = buf.data();
    d.s.avail_out = uInt(buf.size() - 16);
    deflate(&d.s, Z_FINISH);
    size_t size = d.s.total_out;
    const size_t pad = 8 - size % 8;
    std::fill_n(buf.data() + size, pad, static_cast<unsigned char>(pad));
    size += pad;
    buf.resize(size);
    const std::uint64_t keyValue = rng();
    unsigned char key[8];
    std::memcpy(key, &keyValue, 8);
    BF_KEY schedule;
    BF_set_key(&schedule, 8, key);
    ecb(schedule, buf.data(), size, BF_ENCRYPT);
    return buf;
}

void BM_EncodeCommand(benchmark::State& state) {
    const QByteArray text = commandOfSize(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(EncodeCommand(text));
}

void BM_BaselineEncode(benchmark::State& state) {
    const QByteArray text = commandOfSize(int(state.range(0)));
    ReusedDeflate d;
    std::mt19937_64 rng(1);
    for (auto _ : state) benchmark::DoNotOptimize(baselineEncode(text, d, rng));
}

void BM_DecodePayload(benchmark::State& state) {
    const QByteArray body = EncodeCommand(commandOfSize(int(state.range(0)))).mid(7);
    for (auto _ : state) benchmark::DoNotOptimize(DecodePayload(body));
}

void BM_BaselineDecode(benchmark::State& state) {
    const QByteArray text = commandOfSize(int(state.range(0)));
    ReusedDeflate d;
    ReusedInflate inf;
    std::mt19937_64 rng(1);
    const std::uint64_t keyValue = std::mt19937_64(1)();
    const std::vector<unsigned char> cipher = baselineEncode(text, d, rng);
    std::vector<unsigned char> plain(cipher.size()), out(size_t(text.size()) + 64);
    for (auto _ : state) {
        unsigned char key[8];
        std::memcpy(key, &keyValue, 8);
        BF_KEY schedule;
        BF_set_key(&schedule, 8, key);
        plain = cipher;
        ecb(schedule, plain.data(), plain.size(), BF_DECRYPT);
        inflateReset(&inf.s);
        inf.s.next_in = plain.data();
        inf.s.avail_in = uInt(plain.size() - plain.back());
        inf.s.next_out = out.data();
        inf.s.avail_out = uInt(out.size());
        if (inflate(&inf.s, Z_FINISH) != Z_STREAM_END) state.SkipWithError("baseline inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

int main(int argc, char** argv) {
    for (const int size : Sizes) {
        const std::string n = std::to_string(size);
        benchmark::RegisterBenchmark(("EncodeCommand/" + n).c_str(), BM_EncodeCommand)->Arg(size);
        benchmark::RegisterBenchmark(("BaselineEncode/" + n).c_str(), BM_BaselineEncode)->Arg(size);
        benchmark::RegisterBenchmark(("DecodePayload/" + n).c_str(), BM_DecodePayload)->Arg(size);
        benchmark::RegisterBenchmark(("BaselineDecode/" + n).c_str(), BM_BaselineDecode)->Arg(size);
        korvex::bench::DeclareRatio("envelope_encode_" + n, "BaselineEncode/" + n + "/" + n,
                                    "EncodeCommand/" + n + "/" + n);
        korvex::bench::DeclareRatio("envelope_decode_" + n, "BaselineDecode/" + n + "/" + n,
                                    "DecodePayload/" + n + "/" + n);
    }
    return korvex::bench::RunWithRatios(argc, argv);
}
