#pragma once

#include "server/Server.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <time.h>

namespace korvex::bench {

// The reference server on a thread of its own, listening on a free loopback port, with accounts
// user0..user{n-1} (password "secret1") in an in-memory database; seed adds anything else before it listens.
class LoopbackServer {
public:
    explicit LoopbackServer(int users, const std::function<void(server::Server&)>& seed = {});
    ~LoopbackServer();

    quint16 Port() const { return m_port; }
    // CPU time the server's thread has used so far.
    double CpuSeconds() const;

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<server::Server> m_server;
    quint16 m_port = 0;
    clockid_t m_cpuClock{};
};

// Monotonic nanoseconds, for latencies carried inside messages.
qint64 NowNs();

// Runs the event loop until done() holds; false after timeoutMs.
bool SpinUntil(const std::function<bool()>& done, int timeoutMs);

} // namespace korvex::bench
