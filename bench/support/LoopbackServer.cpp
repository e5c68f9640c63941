#include "LoopbackServer.h"

#include "server/Passwords.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <pthread.h>

namespace korvex::bench {

LoopbackServer::LoopbackServer(int users, const std::function<void(server::Server&)>& seed) {
    m_thread.start();
    m_context.moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        &m_context,
        [this, users, &seed] {
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
            if (seed) seed(*m_server);
            QString error;
            m_server->Listen(&error);
            m_port = m_server->CommandPort();
            pthread_getcpuclockid(pthread_self(), &m_cpuClock);
        },
        Qt::BlockingQueuedConnection);
}

LoopbackServer::~LoopbackServer() {
    QMetaObject::invokeMethod(&m_context, [this] { m_server.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

double LoopbackServer::CpuSeconds() const {
    timespec ts{};
    clock_gettime(m_cpuClock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace korvex::bench
