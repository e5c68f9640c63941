// The room commands of the command server with arbitrary fields, from an ordinary user who sits in a demo
// room with others and from an administrator: rights, membership and room removal must hold whatever the
// order. Input: one byte picks the sender, then commands separated by '\n', each "name|field|field...".
#include "ServerHarness.h"

#include "net/Envelope.h"

#include <QCoreApplication>
#include <cstdint>

namespace {

using korvex::fuzz::NullPeer;
using korvex::net::EncodeCommand;
using korvex::net::MakeCommand;

quint64 logOn(korvex::server::Server& srv, const QByteArray& nick, const QByteArray& room) {
    const quint64 id = srv.AttachPeer(std::make_unique<NullPeer>());
    srv.Input(id, EncodeCommand(MakeCommand("Login", {nick, "secret1", "", ""})));
    srv.Input(id, EncodeCommand(MakeCommand("JoinRoom", {nick, "Lobby", room, "owls"})));
    return id;
}

korvex::server::Server* server() {
    static korvex::server::Server* s = [] {
        auto* srv = korvex::fuzz::MakeServer("fuzz_rooms_server",
                                             [](korvex::server::Server& s) { s.Rooms().SeedDemo(); });
        logOn(*srv, "bob", "Welcome"); // stays for the whole run
        return srv;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    korvex::server::Server* srv = server();
    const QByteArray nick = data[0] % 2 ? "admin" : "alice";
    const quint64 id = logOn(*srv, nick, data[0] % 4 < 2 ? "Welcome" : "Private Lounge");
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QByteArray text;
    for (const QByteArray& line : rest.split('\n')) {
        QList<QByteArray> parts = line.split('|');
        QByteArray cmd = char(0x9A) + korvex::net::StripMarks(parts.takeFirst()) + char(0x9C);
        for (const QByteArray& p : parts)
            cmd += p + char(0x9C);
        text += cmd;
    }
    srv->Input(id, EncodeCommand(text));
    srv->PeerGone(id);
    QCoreApplication::sendPostedEvents();
    srv->ReapClosed();
    return 0;
}
