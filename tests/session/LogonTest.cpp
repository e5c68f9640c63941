#include "SessionFixture.h"
#include "formats/IniFile.h"
#include "net/TBBClient.h"
#include "session/MainShell.h"
#include "session/TFirstForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace korvex;
using session::TFirstForm;

class LogonTest : public SessionTest {
protected:
    TFirstForm* ShowLogon() {
        auto* form = new TFirstForm(*dm);
        form->show();
        return form;
    }
    bool WaitReady(TFirstForm* form) {
        return WaitFor([form] { return form->LoginBut->isEnabled(); });
    }
    void LogOn(TFirstForm* form, const QString& nick = "alice", const QString& pass = "secret1") {
        form->NameBox->setEditText(nick);
        form->PassEdit->setText(pass);
        form->LoginButClick();
    }
};

TEST_F(LogonTest, DisabledUntilTheVersionReplyThenReady) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    EXPECT_FALSE(form->NameBox->isEnabled());
    EXPECT_FALSE(form->LoginBut->isEnabled());
    ASSERT_TRUE(WaitReady(form));
    EXPECT_EQ(form->StatusLabel->text(), "Ready");
    EXPECT_TRUE(form->PassEdit->isEnabled());
    EXPECT_EQ(server.ReceivedNames(), QList<QByteArray>{"GetVersion"});
    EXPECT_EQ(dm->GetCodecBufferSize("GSM2"), 3000); // the codec list of the reply
    EXPECT_EQ(dm->LastSoundPlayed, "Connect.wav");
    EXPECT_EQ(dm->Tray, session::TrayState::On);
    EXPECT_EQ(form->windowTitle(), "Korvex Logon  ");
}

TEST_F(LogonTest, ShortNicknameOrPasswordIsRefusedLocally) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    struct Case {
        QString nick, pass;
        int text;
    };
    for (const Case& c : {Case{"al", "secret1", 17}, Case{"alice", "1234", 18}}) {
        dialogs.shown.clear();
        LogOn(form, c.nick, c.pass);
        EXPECT_EQ(dialogs.Texts(), QStringList{session::LangText(c.text)}) << c.text;
        EXPECT_TRUE(form->LoginBut->isEnabled());
    }
    QTest::qWait(50);
    EXPECT_EQ(server.Count("Login"), 0);
}

TEST_F(LogonTest, GoodLogonOpensTheMainWindowAndFetchesLists) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    LogOn(form);
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr && server.Count("GetBList") == 1; }));
    EXPECT_EQ(dm->MainForm->Widget()->windowTitle(), "alice");
    EXPECT_TRUE(dm->MainForm->Widget()->isVisible());
    EXPECT_TRUE(WaitFor([&] { return dm->FirstForm.isNull(); }));
    EXPECT_EQ(closed, 0); // the logon window closing after a logon does not end the program
    EXPECT_TRUE(dm->LoggedIn);
    EXPECT_EQ(dm->OwnPassword, "secret1");
    EXPECT_EQ(dm->SoundPort, 7001);
    EXPECT_EQ(dm->OwnEmail, "alice@example.org");
    EXPECT_TRUE(dm->CheckConnectTimer->Enabled());
    const auto login = server.received[1];
    EXPECT_EQ(login.name, "Login");
    EXPECT_EQ(login.field(4), dm->PcId());
    EXPECT_EQ(server.ReceivedNames().mid(2), (QList<QByteArray>{"GetCList", "GetBInfo", "GetBList"}));
    EXPECT_EQ(dm->AUserTable.Column("Name"), QList<QByteArray>{"alice"});
    // Passwords are not saved unless asked for; the account and the last name are.
    EXPECT_EQ(dm->Accounts().value(0).pass, "");
    EXPECT_EQ(dm->Accounts().value(0).email, "alice@korvex.chat");
    EXPECT_EQ(formats::IniFile(home.filePath("korvex.ini")).ReadString("Main", "UserName"), "alice");
}

TEST_F(LogonTest, WrongPasswordShowsTextFourteenAndEnablesTheButtons) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    LogOn(form, "alice", "wrongpass");
    EXPECT_FALSE(form->LoginBut->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !dialogs.shown.isEmpty(); }));
    EXPECT_EQ(dialogs.Texts(), QStringList{session::LangText(14)});
    EXPECT_TRUE(form->LoginBut->isEnabled());
    EXPECT_TRUE(form->NewBut->isEnabled());
    EXPECT_EQ(dm->MainForm, nullptr);
}

TEST_F(LogonTest, AutoLogonCountsDownTenTicksAndAKeyStopsIt) {
    WriteAppFile("korvex.ini", "[Config]\r\nAutoLogin=1\r\nSavePassword=1\r\n[Main]\r\nUserName=alice\r\n");
    StartDataModuleForServer();
    dm->SaveAccount("alice", "secret1", "alice@korvex.chat");
    TFirstForm* form = ShowLogon();
    EXPECT_EQ(form->PassEdit->text(), "secret1");
    ASSERT_TRUE(WaitReady(form));
    Advance(9000);
    EXPECT_EQ(form->cbLoginAuto->text(), "Login Automatically (1)");
    EXPECT_EQ(server.Count("Login"), 0);
    Advance(1000);
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }));
    EXPECT_EQ(server.Count("Login"), 1);
    EXPECT_TRUE(dm->AutoLogonActive);
    EXPECT_FALSE(dm->MainForm->Widget()->isVisible()); // an automatic logon goes to the tray
    EXPECT_EQ(dm->Accounts().value(0).pass, "secret1");
}

TEST_F(LogonTest, AnyKeyStopsTheCountdown) {
    WriteAppFile("korvex.ini", "[Config]\r\nAutoLogin=1\r\nSavePassword=1\r\n[Main]\r\nUserName=alice\r\n");
    StartDataModuleForServer();
    dm->SaveAccount("alice", "secret1", "alice@korvex.chat");
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    Advance(3000);
    EXPECT_EQ(form->cbLoginAuto->text(), "Login Automatically (7)");
    QTest::keyClick(form->PassEdit, Qt::Key_Shift);
    EXPECT_EQ(form->cbLoginAuto->text(), "Login Automatically");
    Advance(20000);
    QTest::qWait(50);
    EXPECT_EQ(server.Count("Login"), 0);
}

TEST_F(LogonTest, NewerServerVersionPromptsAndNoEndsTheProgram) {
    StartDataModuleForServer();
    struct Case {
        QByteArray version;
        bool prompt;
    };
    for (const Case& c : {Case{"3.26", false}, Case{"3.27", true}, Case{"3.3", true}, Case{"3.259", false},
                          Case{"abc", false}, Case{"", false}}) {
        SCOPED_TRACE(c.version.toStdString());
        dialogs.shown.clear();
        dialogs.answers = {false};
        closed = 0;
        server.version = c.version;
        dm->MainClient->SetActive(false);
        delete dm->FirstForm.data();
        TFirstForm* form = ShowLogon();
        if (c.prompt) {
            ASSERT_TRUE(WaitFor([&] { return closed == 1; }));
            EXPECT_TRUE(
                dialogs.Texts().value(0).startsWith("A new Korvex Client v" + c.version + " is available"));
            EXPECT_FALSE(form->LoginBut->isEnabled());
        } else {
            EXPECT_TRUE(WaitReady(form));
            EXPECT_TRUE(dialogs.shown.isEmpty());
            EXPECT_EQ(closed, 0);
        }
    }
}

TEST_F(LogonTest, KeepAliveOnlyOnAnIdleConnection) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    LogOn(form);
    ASSERT_TRUE(WaitFor([&] { return server.Count("GetBList") == 1; }));
    // Other commands every 10 s: no keep-alive.
    for (int i = 0; i < 6; ++i) {
        Advance(10000);
        dm->SendCmd("GetCList", {dm->OwnNick});
    }
    QTest::qWait(50);
    EXPECT_EQ(server.Count("p"), 0);
    Advance(19000);
    QTest::qWait(50);
    EXPECT_EQ(server.Count("p"), 0);
    Advance(1000);
    ASSERT_TRUE(WaitFor([&] { return server.Count("p") == 1; }));
    EXPECT_EQ(server.received.last().field(1), "alice");
    Advance(5000);
    QTest::qWait(50);
    EXPECT_EQ(server.Count("p"), 1);
    // The server's own "p" is answered at once.
    server.Send("p");
    ASSERT_TRUE(WaitFor([&] { return server.Count("p") == 2; }));
}

TEST_F(LogonTest, LostConnectionReconnectsLogsOnAgainAndReentersTheRoom) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    LogOn(form);
    ASSERT_TRUE(WaitFor([&] { return server.Count("GetBList") == 1; }));
    dm->ChatFormTable.Append({{"FormName", "chat3"}, {"Name", "Lobby"}});
    dm->RoomPassword = "rp";
    dm->FindRoomWindow = [](const QByteArray& form) -> std::optional<session::RoomWindowRef> {
        if (form != "chat3") return std::nullopt;
        return session::RoomWindowRef{"General", "Lobby", true};
    };
    dm->AUserTable.Append({{"Name", "bob"}});

    const quint16 port = server.Port();
    server.received.clear();
    server.StopListening();
    server.DropClients();
    ASSERT_TRUE(WaitFor([&] { return !dm->MainClient->Active(); }));
    EXPECT_EQ(dm->Tray, session::TrayState::Off);
    EXPECT_EQ(dm->AUserTable.Column("Name"), QList<QByteArray>{"alice"});
    ASSERT_TRUE(server.Listen(port)); // the server is back
    Advance(10000);
    ASSERT_TRUE(WaitFor([&] { return server.Count("GetVersion") == 1; }));
    const QList<QByteArray> expected{"Login", "JoinRoom", "GetVersion"};
    EXPECT_EQ(server.ReceivedNames().mid(0, 3), expected);
    EXPECT_EQ(server.received[0].field(2), "secret1");
    const auto& join = server.received[1];
    EXPECT_EQ(join.field(2), "General");
    EXPECT_EQ(join.field(3), "Lobby");
    EXPECT_EQ(join.field(4), "rp");
    EXPECT_EQ(join.field(5), "1");
}

TEST_F(LogonTest, FirstConnectionIsRetriedWhenTheServerIsDownAtStart) {
    ASSERT_TRUE(server.Listen());
    const quint16 port = server.Port();
    server.StopListening();
    StartDataModule("localhost\r\n127.0.0.1\r\n" + QByteArray::number(port) + "\r\n");
    TFirstForm* form = ShowLogon();
    QTest::qWait(200);
    EXPECT_FALSE(form->LoginBut->isEnabled());
    ASSERT_TRUE(server.Listen(port));
    Advance(10000);
    EXPECT_TRUE(WaitReady(form));
}

TEST_F(LogonTest, OnlyAWebHostConfiguredConnectsThere) {
    ASSERT_TRUE(server.Listen());
    StartDataModule("127.0.0.1\r\n\r\n" + QByteArray::number(server.Port()) + "\r\n");
    TFirstForm* form = ShowLogon();
    EXPECT_TRUE(WaitReady(form));
}

TEST_F(LogonTest, OwnPasswordFollowsAConfirmedChangeOnly) {
    StartDataModuleForServer();
    TFirstForm* form = ShowLogon();
    ASSERT_TRUE(WaitReady(form));
    form->SaveBox->click();
    LogOn(form);
    ASSERT_TRUE(WaitFor([&] { return server.Count("GetBList") == 1; }));
    server.Send("RSetInfo", {"ALICE", "", "", "", "newsecret"});
    ASSERT_TRUE(WaitFor([&] { return dialogs.Texts().contains("Your Info Updated"); }));
    EXPECT_EQ(dm->OwnPassword, "newsecret");
    EXPECT_EQ(dm->Accounts().value(0).pass, "newsecret");
    dialogs.shown.clear();
    server.Send("RSetInfo", {"mallory", "", "", "", "x12345"});
    ASSERT_TRUE(WaitFor([&] { return !dialogs.shown.isEmpty(); }));
    EXPECT_EQ(dm->OwnPassword, "newsecret");
    EXPECT_EQ(dm->Accounts().size(), 1);
}

TEST_F(LogonTest, ClosingTheLogonWindowByHandEndsTheProgram) {
    StartDataModule("w\r\n\r\n0\r\n");
    TFirstForm* form = ShowLogon();
    form->close();
    EXPECT_EQ(closed, 1);
}
