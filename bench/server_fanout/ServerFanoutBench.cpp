// Fan-out cost of the command server and private-message latency under load, over loopback.
#include "server/Log.h"
#include "server/Server.h"

#include "net/Command.h"
#include "net/Envelope.h"
#include "net/SendCommand.h"
#include "net/TBBClient.h"

#include "support/LoopbackServer.h"
#include "support/Ratio.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>


#include <algorithm>
#include <memory>
#include <vector>

using namespace korvex;

namespace {

// A peer that keeps what it is given in memory, as a socket's write buffer would.
class MemoryPeer : public server::Peer {
public:
    void Write(const QByteArray& frame) override {
        m_out += frame;
        if (m_out.size() > (1 << 20)) m_out.clear();
    }
    qint64 PendingBytes() const override { return 0; }
    void Close() override {}
    void Abort() override {}
    bool Finished() const override { return false; }
    QByteArray RemoteAddress() const override { return "127.0.0.1"; }

private:
    QByteArray m_out;
};

const QByteArray BroadcastText = net::MakeCommand(
    "ChatMsg", {"Lobby", "alice",
                "<font color=\"#000080\"><b>alice:</b></font> <font face=\"Arial\" size=\"2\">good evening, "
                "everybody in the lobby, how is the sound tonight?</font>"});

// One envelope per recipient.
void BM_BroadcastNaive(benchmark::State& state) {
    std::vector<MemoryPeer> peers(size_t(state.range(0)));
    for (auto _ : state)
        for (auto& p : peers) p.Write(net::EncodeCommand(BroadcastText));
}

// The server's way: encipher once, write the same frame to everyone.
void BM_BroadcastEncodeOnce(benchmark::State& state) {
    std::vector<MemoryPeer> peers(size_t(state.range(0)));
    for (auto _ : state) {
        const QByteArray frame = net::EncodeCommand(BroadcastText);
        for (auto& p : peers) p.Write(frame);
    }
}

// n clients log on at once; then messages go round (client i writes to client i+1) with a fixed number in
// flight, and each one's time from send to arrival is recorded.
void BM_PrivateMessageRelay(benchmark::State& state) {
    const int n = int(state.range(0));
    const int messages = 4000;
    const int inFlight = 32;
    std::vector<double> latenciesUs;
    double logonsPerSecond = 0, cpuPerMessageUs = 0;
    for (auto _ : state) {
        bench::LoopbackServer server(n);
        std::vector<std::unique_ptr<net::TBBClient>> clients;
        int connected = 0, loggedOn = 0, received = 0;
        latenciesUs.clear();
        for (int i = 0; i < n; ++i) {
            auto c = std::make_unique<net::TBBClient>();
            c->SetAddress("127.0.0.1");
            c->SetPort(server.Port());
            QObject::connect(c.get(), &net::TBBClient::OnConnect, [&] { ++connected; });
            QObject::connect(c.get(), &net::TBBClient::OnRead, [&](net::TBBClient*, const QByteArray& frame) {
                const QByteArray text = net::DecodeFrameBody(frame);
                net::CommandReader reader(text);
                net::ParsedCommand cmd;
                while (reader.Next(cmd)) {
                    if (cmd.name == "RLogin") {
                        ++loggedOn;
                    } else if (cmd.name == "PrivMsg") {
                        latenciesUs.push_back(double(bench::NowNs() - cmd.field(2).toLongLong()) / 1000.0);
                        ++received;
                    }
                }
            });
            clients.push_back(std::move(c));
        }
        for (auto& c : clients) c->SetActive(true);
        if (!bench::SpinUntil([&] { return connected == n; }, 60000)) return state.SkipWithError("clients did not connect");

        QElapsedTimer logonTimer;
        logonTimer.start();
        for (int i = 0; i < n; ++i)
            net::SendCommand(*clients[size_t(i)], net::MakeCommand("Login", {"user" + QByteArray::number(i), "secret1", "", ""}));
        if (!bench::SpinUntil([&] { return loggedOn == n; }, 60000)) return state.SkipWithError("logons did not finish");
        logonsPerSecond = n / (double(logonTimer.nsecsElapsed()) * 1e-9);

        const double cpuBefore = server.CpuSeconds();
        int sent = 0;
        while (received < messages) {
            while (sent < messages && sent - received < inFlight) {
                const int from = sent % n, to = (from + 1) % n;
                net::SendCommand(*clients[size_t(from)],
                                 net::MakeCommand("PrivMsg", {"user" + QByteArray::number(to), {},
                                                              QByteArray::number(bench::NowNs()), "msg1"}));
                ++sent;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        cpuPerMessageUs = (server.CpuSeconds() - cpuBefore) * 1e6 / messages;
        for (auto& c : clients) c->SetActive(false);
    }
    std::sort(latenciesUs.begin(), latenciesUs.end());
    state.counters["median_us"] = latenciesUs[latenciesUs.size() / 2];
    state.counters["p99_us"] = latenciesUs[latenciesUs.size() * 99 / 100];
    state.counters["logons_per_s"] = logonsPerSecond;
    state.counters["server_cpu_us_per_msg"] = cpuPerMessageUs;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    server::SetLoggingEnabled(false);
    benchmark::RegisterBenchmark("BroadcastNaive", BM_BroadcastNaive)->Arg(1000)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BroadcastEncodeOnce", BM_BroadcastEncodeOnce)->Arg(1000)->Unit(benchmark::kMicrosecond);
    korvex::bench::DeclareRatio("server_encode_once", "BroadcastNaive/1000", "BroadcastEncodeOnce/1000");
    for (const int n : {100, 1000}) {
        benchmark::RegisterBenchmark("PrivateMessageRelay", BM_PrivateMessageRelay)
            ->Arg(n)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        const std::string name = "PrivateMessageRelay/" + std::to_string(n) + "/iterations:1";
        const std::string suffix = "_" + std::to_string(n);
        korvex::bench::DeclareCounterRatio("server_relay_median_us" + suffix, name, "median_us");
        korvex::bench::DeclareCounterRatio("server_relay_p99_us" + suffix, name, "p99_us");
        korvex::bench::DeclareCounterRatio("server_logons_per_s" + suffix, name, "logons_per_s");
        korvex::bench::DeclareCounterRatio("server_cpu_us_per_msg" + suffix, name, "server_cpu_us_per_msg");
    }
    return korvex::bench::RunWithRatios(argc, argv);
}
