// The logon paths against the reference server itself (korvex-server --demo on a free port, temp data
// folder).

#include "SessionFixture.h"
#include "net/SendCommand.h"
#include "net/TBBClient.h"
#include "session/TFirstForm.h"
#include "session/TNewForm.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace korvex;
using session::TFirstForm;

namespace {
// One reference server process; restartable on the same port with the same data folder.
class ReferenceServer {
public:
    explicit ReferenceServer(QString dataDir) : m_data(std::move(dataDir)) {}
    ~ReferenceServer() { Stop(); }
    bool Start(quint16 port = 0) {
        m_output.clear();
        m_proc = std::make_unique<QProcess>();
        m_proc->setProcessChannelMode(QProcess::MergedChannels);
        m_proc->start(KORVEX_SERVER_EXE, {"--demo", "--data", m_data, "--port", QString::number(port),
                                          "--sound-port", "0", "--video-port", "0"});
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && m_proc->state() != QProcess::NotRunning) {
            m_proc->waitForReadyRead(200);
            m_output += m_proc->readAll();
            const qsizetype at = m_output.indexOf("LISTEN command ");
            if (at < 0) continue;
            const QByteArray line = m_output.mid(at, m_output.indexOf('\n', at) - at);
            m_port = quint16(line.mid(line.lastIndexOf(':') + 1).trimmed().toUInt());
            return m_port != 0;
        }
        m_output += "\n[process: " + m_proc->errorString().toUtf8() + ", exit " +
                    QByteArray::number(m_proc->exitCode()) + "]";
        return false;
    }
    void Stop() {
        if (!m_proc) return;
        m_proc->kill();
        m_proc->waitForFinished(5000);
        m_proc.reset();
    }
    QByteArray Output() {
        if (m_proc) m_output += m_proc->readAll();
        return m_output;
    }
    quint16 Port() const { return m_port; }

private:
    QString m_data;
    std::unique_ptr<QProcess> m_proc;
    QByteArray m_output;
    quint16 m_port = 0;
};

class RealServerTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        if (QByteArray(KORVEX_SERVER_EXE).isEmpty()) GTEST_SKIP() << "no reference server in this build";
        ref = std::make_unique<ReferenceServer>(home.filePath("server-data"));
        ASSERT_TRUE(ref->Start()) << ref->Output().toStdString();
        StartDataModule("localhost\r\n127.0.0.1\r\n" + QByteArray::number(ref->Port()) + "\r\n");
        form = new TFirstForm(*dm);
        form->show();
        ASSERT_TRUE(WaitFor([this] { return form->LoginBut->isEnabled(); }, 10000));
    }
    void TearDown() override {
        if (ref) ref->Stop();
        SessionTest::TearDown();
    }
    void LogOn(const QString& nick, const QString& pass) {
        form->NameBox->setEditText(nick);
        form->PassEdit->setText(pass);
        form->LoginButClick();
    }
    std::unique_ptr<ReferenceServer> ref;
    TFirstForm* form = nullptr;
};
} // namespace

TEST_F(RealServerTest, RefusedThenAcceptedLogon) {
    EXPECT_EQ(form->StatusLabel->text(), "Ready");
    LogOn("al", "secret1");
    EXPECT_EQ(dialogs.Texts(), QStringList{session::LangText(17)});
    LogOn("alice", "wrong-password");
    ASSERT_TRUE(WaitFor([&] { return dialogs.shown.size() == 2; }));
    EXPECT_EQ(dialogs.Texts().last(), session::LangText(14));
    EXPECT_TRUE(form->LoginBut->isEnabled());
    LogOn("alice", "secret1");
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }));
    EXPECT_EQ(dm->MainForm->Widget()->windowTitle(), "alice");
    EXPECT_EQ(dm->OwnNick, "alice");
    EXPECT_TRUE(WaitFor([&] { return dm->FirstForm.isNull(); }));
}

TEST_F(RealServerTest, RegistrationAcceptedAndRefused) {
    form->NewButClick();
    session::TNewForm* reg = dm->NewForm;
    ASSERT_NE(reg, nullptr);
    reg->NameEdit->setText("alice");
    reg->PassEdit->setText("secret7");
    reg->Pass2Edit->setText("secret7");
    reg->OKButClick();
    ASSERT_TRUE(WaitFor([&] { return dialogs.Texts().contains(session::LangText(13)); }, 10000));
    ASSERT_TRUE(WaitFor([&] { return dialogs.Texts().contains(session::LangText(14)); }, 10000));

    // The logon window is back, enabled after the refused logon; register a free name.
    ASSERT_TRUE(form->NewBut->isEnabled());
    form->NewButClick();
    reg = dm->NewForm;
    reg->NameEdit->setText("dave_42");
    reg->PassEdit->setText("secret7");
    reg->Pass2Edit->setText("secret7");
    reg->OKButClick();
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }, 10000));
    EXPECT_EQ(dm->OwnNick, "dave_42");
    EXPECT_TRUE(dialogs.Texts().contains(
        "New user \"dave_42\" registered successfully. You may now login as this user."));
}

TEST_F(RealServerTest, ServerRestartReconnectsAndLogsOnAgain) {
    LogOn("alice", "secret1");
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }));
    const quint16 port = ref->Port();
    ref->Stop();
    ASSERT_TRUE(WaitFor([&] { return !dm->MainClient->Active(); }));
    ASSERT_TRUE(ref->Start(port)) << ref->Output().toStdString();
    Advance(10000);
    ASSERT_TRUE(WaitFor([&] { return ref->Output().contains("logged on as alice"); }, 10000));
    EXPECT_TRUE(dm->MainClient->Active());
    EXPECT_EQ(dm->Tray, session::TrayState::On);
}

TEST_F(RealServerTest, LogonElsewhereEndsThisSession) {
    LogOn("alice", "secret1");
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }));
    net::TBBClient other;
    other.SetAddress("127.0.0.1");
    other.SetPort(ref->Port());
    other.SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return other.Active(); }));
    net::SendCommand(other,
                     net::MakeCommand("Login", {"alice", "secret1", "001122334455", "0123456789ABCDEF"}));
    ASSERT_TRUE(WaitFor([&] {
        return dialogs.Texts().contains(
            "You have been logged off as you have logged in from another location");
    }));
    EXPECT_FALSE(dm->MainClient->Active());
    Advance(1000);
    EXPECT_EQ(closed, 1);
}
