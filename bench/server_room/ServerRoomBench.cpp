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
#include "support/Ratio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <memory>
#include <pthread.h>
#include <time.h>
#include <vector>

using namespace korvex;

namespace {

// The server on its own thread with n accounts user0..user{n-1} in an in-memory database.
class ServerThread {
public:
    explicit ServerThread(int users) {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_context,
            [this, users] {
                server::ServerConfig config;
                config.port = 0;
                config.minimalPasswordHashing = true;
                config.maxOutputQueueBytes = 64 << 20;
                m_server = std::make_unique<server::Server>(config);
                m_server->OpenStorage(":memory:");
                server::Passwords passwords(true);
                const QByteArray hash = passwords.Hash("secret1");
                m_server->Store().Begin();
                for (int i = 0; i < users; ++i) {
                    server::Account a;
                    a.nick = "user" + QByteArray::number(i);
                    a.passwordHash = hash;
                    m_server->Store().CreateAccount(a);
                }
                m_server->Store().Commit();
                m_server->Rooms().SeedDemo();
                QString error;
                m_server->Listen(&error);
                m_port = m_server->CommandPort();
                pthread_getcpuclockid(pthread_self(), &m_cpuClock);
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread() {
        QMetaObject::invokeMethod(
            &m_context, [this] { m_server.reset(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    quint16 Port() const { return m_port; }
    double CpuSeconds() const {
        timespec ts{};
        clock_gettime(m_cpuClock, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<server::Server> m_server;
    quint16 m_port = 0;
    clockid_t m_cpuClock{};
};

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void BM_RoomRelay(benchmark::State& state) {
    const int n = int(state.range(0));
    const int lines = 60; // three seconds at 20 lines per second
    const qint64 gapNs = 50'000'000;
    std::vector<double> latenciesUs;
    double cpuPerLineUs = 0;
    for (auto _ : state) {
        ServerThread server(n);
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
                            latenciesUs.push_back(double(nowNs() - cmd.field(3).toLongLong()) / 1000.0);
                            ++received;
                        }
                    }
                });
            clients.push_back(std::move(c));
        }
        for (auto& c : clients)
            c->SetActive(true);
        if (!spinUntil([&] { return connected == n; }, 60000))
            return state.SkipWithError("clients did not connect");
        for (int i = 0; i < n; ++i)
            net::SendCommand(*clients[size_t(i)],
                             net::MakeCommand("Login", {"user" + QByteArray::number(i), "secret1", "", ""}));
        if (!spinUntil([&] { return joined == n; }, 120000))
            return state.SkipWithError("joins did not finish");
        spinUntil([] { return false; }, 300); // the arrival announcements settle

        const double cpuBefore = server.CpuSeconds();
        qint64 next = nowNs();
        for (int sent = 0; sent < lines;) {
            if (nowNs() >= next) {
                const int from = sent % n;
                net::SendCommand(*clients[size_t(from)],
                                 net::MakeCommand("ChatMsg", {"Welcome", "user" + QByteArray::number(from),
                                                              QByteArray::number(nowNs())}));
                ++sent;
                next += gapNs;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (!spinUntil([&] { return received >= qint64(n) * lines; }, 60000))
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
