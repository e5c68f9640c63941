// The command server's per-connection input path without sockets: frames, envelopes, commands, handlers.
// The first byte chooses how the rest is fed: as raw connection bytes, or as command text that is enveloped and
// sent after a logon, so that the handlers behind the logon are reached too.
#include "ServerHarness.h"

#include "net/Envelope.h"

#include <QCoreApplication>

#include <cstdint>

namespace {

using korvex::fuzz::NullPeer;

korvex::server::Server* server() {
    static korvex::server::Server* s = [] {
        auto* srv = korvex::fuzz::MakeServer("fuzz_server_input");
        // bob stays online for the whole run, so messages and presence have somebody to go to.
        const quint64 bob = srv->AttachPeer(std::make_unique<NullPeer>());
        srv->Input(bob, korvex::net::EncodeCommand(korvex::net::MakeCommand("Login", {"bob", "secret1", "", ""})));
        return srv;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    korvex::server::Server* srv = server();
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const quint64 id = srv->AttachPeer(std::make_unique<NullPeer>());
    switch (data[0] % 3) {
    case 0: // raw bytes of the connection
        srv->Input(id, rest);
        break;
    case 1: // commands from a logged-on user
        srv->Input(id, korvex::net::EncodeCommand(korvex::net::MakeCommand("Login", {"alice", "secret1", "", ""})));
        srv->Input(id, korvex::net::EncodeCommand(rest));
        break;
    default: // commands from an administrator, uncompressed
        srv->Input(id, korvex::net::EncodeCommand(korvex::net::MakeCommand("Login", {"admin", "secret1", "", ""})));
        srv->Input(id, korvex::net::PrefixLength(korvex::net::EncodeCommandRaw(rest)));
        break;
    }
    srv->PeerGone(id);
    // Run the server's queued work (session clean-up) as its event loop would.
    QCoreApplication::sendPostedEvents();
    srv->ReapClosed();
    return 0;
}
