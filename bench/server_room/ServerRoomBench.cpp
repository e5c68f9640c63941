// One room of 1,000 members over loopback: chat lines at 20 per second in total, each relayed by the server
// to every member; the time from sending a line to its arrival at each member (median, p99) and the server's
// CPU time per line.
#if __has_include("server/Server.h")
#include "server/Log.h"
#include "server/Server.h"
#else
#include "Log.h"
#include "Server.h"
#endif

#include "net/Command.h"
#include "net/Envelope.h"
#include "net/SendCommand.h"
#include "net/TBBClient.h"
#include "support/LoopbackServer.h"
#include "support/Ratio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

using namespace korvex;

namespace {

void BM_RoomRelay(benchmark::State& state) {
    const int n = int(state.range(0));
    const int lines = 60; // three seconds at 20 lines per second
    const qint64 gapNs = 50'000'000;
    std::vector<double> latenciesUs;
    double cpuPerLineUs = 0;
    for (auto _ : state) {
        bench::LoopbackServer server(n, [](server::Server& s) { s.Rooms().SeedDemo(); });
        std::vector<std::unique_ptr<net::TBBClient>> clients;
        int connected = 0, joined = 0;
        qint64 received = 0;
        latenciesUs.clear();
        latenciesUs.reserve(size_t(n) * lines);
        for (int i = 0; i < n; ++i) {
            auto c = std::make_unique<net::TBBClient>();
            c->SetAddress("127.0.0.1");
            c->SetPort(server.Port());
            QObject::connect(c.get(), &net::TBBClient::OnConnect, [&] { ++connected; });
            net::TBBClient* raw = c.get();
            QObject::connect(
                c.get(), &net::TBBClient::OnRead, [&, raw, i](net::TBBClient*, const QByteArray& frame) {
                    const QByteArray text = net::DecodeFrameBody(frame);
                    net::CommandReader reader(text);
                    net::ParsedCommand cmd;
                    while (reader.Next(cmd)) {
                        if (cmd.name == "RLogin") {
                            net::SendCommand(
                                *raw,
                                net::MakeCommand("JoinRoom",
                                                 {"user" + QByteArray::number(i), "Lobby", "Welcome", {}}));
                        } else if (cmd.name == "RJoinRoom") {
                            ++joined;
                        } else if (cmd.name == "ChatMsg") {
                            latenciesUs.push_back(double(bench::NowNs() - cmd.field(3).toLongLong()) / 1000.0);
                            ++received;
                        }
                    }
                });
            clients.push_back(std::move(c));
        }
        for (auto& c : clients)
            c->SetActive(true);
        if (!bench::SpinUntil([&] { return connected == n; }, 60000))
            return state.SkipWithError("clients did not connect");
        for (int i = 0; i < n; ++i)
            net::SendCommand(*clients[size_t(i)],
                             net::MakeCommand("Login", {"user" + QByteArray::number(i), "secret1", "", ""}));
        if (!bench::SpinUntil([&] { return joined == n; }, 120000))
            return state.SkipWithError("joins did not finish");
        bench::SpinUntil([] { return false; }, 300); // the arrival announcements settle

        const double cpuBefore = server.CpuSeconds();
        qint64 next = bench::NowNs();
        for (int sent = 0; sent < lines;) {
            if (bench::NowNs() >= next) {
                const int from = sent % n;
                net::SendCommand(*clients[size_t(from)],
                                 net::MakeCommand("ChatMsg", {"Welcome", "user" + QByteArray::number(from),
                                                              QByteArray::number(bench::NowNs())}));
                ++sent;
                next += gapNs;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (!bench::SpinUntil([&] { return received >= qint64(n) * lines; }, 60000))
            return state.SkipWithError("lines were lost");
        cpuPerLineUs = (server.CpuSeconds() - cpuBefore) * 1e6 / lines;
        for (auto& c : clients)
            c->SetActive(false);
    }
    std::sort(latenciesUs.begin(), latenciesUs.end());
    state.counters["median_us"] = latenciesUs[latenciesUs.size() / 2];
    state.counters["p99_us"] = latenciesUs[latenciesUs.size() * 99 / 100];
    state.counters["server_cpu_us_per_line"] = cpuPerLineUs;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    server::SetLoggingEnabled(false);
    benchmark::RegisterBenchmark("RoomRelay", BM_RoomRelay)
        ->Arg(1000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    korvex::bench::DeclareCounterRatio("server_room_relay_median_us", "RoomRelay/1000/iterations:1",
                                       "median_us");
    korvex::bench::DeclareCounterRatio("server_room_relay_p99_us", "RoomRelay/1000/iterations:1", "p99_us");
    korvex::bench::DeclareCounterRatio("server_room_cpu_us_per_line", "RoomRelay/1000/iterations:1",
                                       "server_cpu_us_per_line");
    return korvex::bench::RunWithRatios(argc, argv);
}
