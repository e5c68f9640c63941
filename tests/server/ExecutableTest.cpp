#include "support/TestClient.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using korvex::net::MakeCommand;
using korvex::testing::Field;
using korvex::testing::TestClient;

namespace {

// The real executable, started as a user would, on a free port.
struct ServerProcess {
    QProcess process;
    quint16 port = 0;

    bool start(const QString& dataDir, const QStringList& extra = {}) {
        process.setProgram(QStringLiteral(KORVEX_SERVER_EXE));
        process.setArguments(QStringList{"--data", dataDir, "--port", "0"} + extra);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start();
        if (!process.waitForStarted(5000)) return false;
        static const QRegularExpression listen(QStringLiteral("^LISTEN command 127\\.0\\.0\\.1:(\\d+)$"));
        QByteArray out;
        const bool ok = QTest::qWaitFor([&] {
            process.waitForReadyRead(50);
            out += process.readAllStandardOutput();
            const auto m = listen.match(QString::fromLatin1(out).section('\n', 0, 0).trimmed());
            if (m.hasMatch()) port = quint16(m.captured(1).toUInt());
            return port != 0;
        }, 20000);
        return ok;
    }
    int stop() {
        ::kill(pid_t(process.processId()), SIGTERM);
        process.waitForFinished(10000);
        return process.exitCode();
    }
    ~ServerProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

TEST(ServerExecutable, DemoStartPrintsItsListenerAndKeepsDataAcrossRestarts) {
    QTemporaryDir dir;
    {
        ServerProcess server;
        ASSERT_TRUE(server.start(dir.path(), {"--demo"})) << server.process.readAllStandardError().constData();
        TestClient alice(server.port);
        ASSERT_TRUE(alice.Connect());
        alice.Send(MakeCommand("GetVersion"));
        EXPECT_TRUE(alice.WaitFor("RGetVersion", Field(2, "3.26")));
        ASSERT_TRUE(alice.Login("alice", "secret1"));
        alice.Send("GetCList", {"alice"});
        EXPECT_TRUE(alice.WaitFor("CLOffLine", Field(1, "bob")));
        alice.Send("GetBInfo", {"alice"});
        EXPECT_TRUE(alice.WaitFor("RGetBInfo"));

        TestClient admin(server.port);
        ASSERT_TRUE(admin.Connect());
        admin.Send("Login", {"admin", "secret1", "", ""});
        auto r = admin.WaitFor("RLogin");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->field(5), "3");

        // Changes made now must survive the restart.
        alice.Send("AddCList", {"alice", "mod"});
        EXPECT_TRUE(alice.WaitFor("CLOffLine", Field(1, "mod")));
        alice.Send("SetBList", {"carol\r\n"});
        alice.Send("SetInfo", {"alice", "alice", "49", "Female", "30", "changed1", "1", "N"});
        EXPECT_TRUE(alice.WaitFor("RSetInfo"));
        TestClient newbie(server.port);
        ASSERT_TRUE(newbie.Connect());
        newbie.Send("NewUser", {"newbie", "secret9", "", "", "", "", "", ""});
        EXPECT_TRUE(newbie.WaitFor("RNewUser", Field(1, "OK")));
        EXPECT_EQ(server.stop(), 0);
    }
    {
        ServerProcess server;
        ASSERT_TRUE(server.start(dir.path(), {"--demo"}));
        TestClient alice(server.port);
        ASSERT_TRUE(alice.Connect());
        EXPECT_FALSE(alice.Login("alice", "secret1"));
        ASSERT_TRUE(alice.Login("alice", "changed1"));
        alice.Send("GetCList", {"alice"});
        EXPECT_TRUE(alice.WaitFor("CLOffLine", Field(1, "mod")));
        alice.Send("GetBList", {"alice"});
        EXPECT_TRUE(alice.WaitFor("RGetBList", Field(1, "carol\r\n")));
        alice.Send("GetInfo", {"alice"});
        EXPECT_TRUE(alice.WaitFor("RGetInfo", Field(5, "1")));
        TestClient newbie(server.port);
        ASSERT_TRUE(newbie.Connect());
        EXPECT_TRUE(newbie.Login("newbie", "secret9"));
        server.stop();
    }
}

TEST(ServerExecutable, CommandLineErrorsAreReported) {
    const QStringList bad[] = {{}, {"--data", "/tmp/x", "--port", "70000"}, {"--data", "/tmp/x", "--config", "/nonexistent.ini"}};
    for (const auto& args : bad) {
        QProcess p;
        p.start(QStringLiteral(KORVEX_SERVER_EXE), args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_NE(p.exitCode(), 0) << args.join(' ').toStdString();
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}

} // namespace
