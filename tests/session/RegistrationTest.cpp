#include "SessionFixture.h"
#include "formats/IniFile.h"
#include "session/TFirstForm.h"
#include "session/TNewForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace korvex;
using session::TNewForm;

TEST(Nickname, Rule) {
    const std::pair<QByteArray, bool> cases[] = {
        {"abc", false},
        {"abcd", true},
        {"Ab_-.9", true},
        {"ab cd", false},
        {" abcd", false},
        {"abcd ", false},
        {"ab@cd", false},
        {"ab\xE9"
         "cd",
         false},
        {"ABCD", true},
        {"", false},
        {"ab\tcd", false},
    };
    for (const auto& [nick, ok] : cases)
        EXPECT_EQ(session::IsValidNickname(nick), ok) << nick.toStdString();
}

class RegistrationTest : public SessionTest {
protected:
    session::TFirstForm* logon = nullptr;
    TNewForm* OpenRegistration() {
        logon = new session::TFirstForm(*dm);
        logon->show();
        EXPECT_TRUE(WaitFor([this] { return logon->NewBut->isEnabled(); }));
        logon->NewButClick();
        return dm->NewForm;
    }
    void Fill(TNewForm* f, const QString& nick, const QString& pass, const QString& pass2) {
        f->NameEdit->setText(nick);
        f->PassEdit->setText(pass);
        f->Pass2Edit->setText(pass2);
    }
};

TEST_F(RegistrationTest, InputChecksSendNothing) {
    StartDataModuleForServer();
    TNewForm* f = OpenRegistration();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(logon->isVisible());
    EXPECT_EQ(f->windowTitle(), session::LangText(12));
    struct Case {
        QString nick, pass, pass2, message;
    };
    const QString badNick =
        "Not a valid nickname. Only \"a\"..\"z\", \"0\"..\"9\", \"_\", \"-\", \".\" characters "
        "allowed, minimum length 4.";
    const Case cases[] = {
        {"x y", "secret1", "other11", "Passwords do not match."},
        {"abc", "secret1", "secret1", badNick},
        {"ab@c", "secret1", "secret1", badNick},
        {"newuser", "1234", "1234", session::LangText(16)},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        Fill(f, c.nick, c.pass, c.pass2);
        f->OKButClick();
        EXPECT_EQ(dialogs.Texts(), QStringList{c.message}) << c.nick.toStdString();
        EXPECT_TRUE(f->isVisible());
    }
    QTest::qWait(50);
    EXPECT_EQ(server.Count("NewUser"), 0);
    EXPECT_TRUE(dm->Accounts().isEmpty());
}

TEST_F(RegistrationTest, AgeTakesDigitsOnly) {
    StartDataModuleForServer();
    TNewForm* f = OpenRegistration();
    QTest::keyClicks(f->AgeBox, "a1b2c");
    EXPECT_EQ(f->AgeBox->text(), "12");
}

TEST_F(RegistrationTest, SuccessSendsNewUserStoresTheAccountAndLogsOn) {
    QFile::copy(KORVEX_SOURCE_DATA_DIR "/Data/country.dat", home.filePath("Data/country.dat"));
    StartDataModuleForServer();
    server.password = "secret9";
    TNewForm* f = OpenRegistration();
    f->show(); // fills the countries
    Fill(f, "NewUser.1", "secret9", "secret9");
    f->CountryBox->setCurrentIndex(f->CountryBox->findText("Germany"));
    f->SexBox->setCurrentIndex(1);
    f->AgeBox->setText("33");
    f->EmailEdit->setText("new@example.org");
    f->OKButClick();
    ASSERT_TRUE(WaitFor([&] { return dm->MainForm != nullptr; }));
    const auto names = server.ReceivedNames();
    ASSERT_GE(names.size(), 3);
    EXPECT_EQ(names.mid(0, 3), (QList<QByteArray>{"GetVersion", "NewUser", "Login"}));
    const auto& reg = server.received[1];
    EXPECT_EQ(reg.field(1), "NewUser.1");
    EXPECT_EQ(reg.field(3), "276");
    EXPECT_EQ(reg.field(4), "Female");
    EXPECT_EQ(reg.field(5), "33");
    EXPECT_EQ(reg.field(7), "new@example.org");
    EXPECT_EQ(reg.field(8), dm->PcId());
    EXPECT_EQ(server.received[2].field(2), "secret9");
    // "Save password" is off: the account is stored without it.
    ASSERT_EQ(dm->Accounts().size(), 1);
    EXPECT_EQ(dm->Accounts()[0].pass, "");
    EXPECT_EQ(dm->Accounts()[0].email, "newuser.1@korvex.chat");
    EXPECT_TRUE(dialogs.Texts().contains(
        "New user \"NewUser.1\" registered successfully. You may now login as this user."));
}

TEST_F(RegistrationTest, SavedPasswordWhenAskedAndRefusalShowsTextThirteen) {
    WriteAppFile("korvex.ini", "[Config]\r\nSavePassword=1\r\n");
    StartDataModuleForServer();
    server.answerNewUser = false;
    server.password = "nomatch";
    TNewForm* f = OpenRegistration();
    Fill(f, "carol", "secret5", "secret5");
    f->OKButClick();
    EXPECT_EQ(dm->Accounts().value(0).pass, "secret5");
    EXPECT_EQ(formats::IniFile(home.filePath("korvex.ini")).ReadString("Main", "UserName"), "carol");
    ASSERT_TRUE(WaitFor([&] { return server.Count("Login") == 1; }));
    server.Send("RNewUser", {"NO", "carol", ""});
    ASSERT_TRUE(WaitFor([&] { return dialogs.Texts().contains(session::LangText(13)); }));
}
