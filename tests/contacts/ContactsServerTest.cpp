// The contact list and private messages against the real reference server: the client under test with its
// windows, and other users as protocol-level clients.
#include "ContactsFixture.h"
#include "contacts/UiHelpers.h"
#include "support/ServerFixture.h"
#include "support/TestClient.h"

#include <QToolButton>

using korvex::testing::Field;
using korvex::testing::ServerFixture;
using korvex::testing::TestClient;

class ContactsServerTest : public ContactsTest {
protected:
    void SetUp() override {
        ContactsTest::SetUp();
        service.Start();
        for (const char* n : {"alice", "bob", "carol"})
            service.AddUser(n);
        service.AddContact("alice", "bob");
        service.AddContact("alice", "carol");
        service.AddContact("bob", "alice");
        StartDataModule("localhost\r\n127.0.0.1\r\n" + QByteArray::number(service.Port()) + "\r\n");
    }
    void TearDown() override {
        ContactsTest::TearDown();
        service.Stop();
    }
    ServerFixture service;
};

TEST_F(ContactsServerTest, PresenceAndPrivateMessagesBetweenTwoUsers) {
    TMainForm* m = LogOn("alice");
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Names(m, "PIM").size() == 2; }));
    EXPECT_EQ(Names(m, "PIM"), (QList<QByteArray>{"bob", "carol"}));
    EXPECT_EQ(Header(m, "AIM"), "1 Contact Online");

    auto bob = service.LoggedOn("bob");
    ASSERT_TRUE(WaitFor([&] { return Names(m, "AIM").contains("bob"); }));
    EXPECT_EQ(Names(m, "PIM"), QList<QByteArray>{"carol"});
    EXPECT_EQ(Header(m, "AIM"), "2 Contacts Online");

    // alice writes to bob: accepted by the server, delivered, receipt.
    TMsgForm* f = TMsgForm::OpenMessageWindow(*dm, "bob", true);
    f->Memo->setPlainText("hello :-)");
    f->Send();
    const auto got = bob->WaitFor("PrivMsg");
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->field(1), "alice");
    EXPECT_TRUE(got->field(2).contains("hello :-)"));
    EXPECT_EQ(got->field(3), f->FormName());
    ASSERT_TRUE(WaitFor([&] { return f->StatusText() == session::LangText(28); }));
    bob->Send("RRPrivMsg", {"alice", got->field(3)});
    ASSERT_TRUE(WaitFor([&] { return f->StatusText() == session::LangText(29); }));

    // bob writes back with a smiley and types: alice's window shows both; her client answers with a receipt.
    bob->Send("Typing", {"bob", "", "alice"});
    ASSERT_TRUE(WaitFor([&] { return f->StatusText() == "bob is busy typing..."; }));
    bob->Send("PrivMsg", {"alice", "bob", "<b>fine :-p</b>", "msg42"});
    ASSERT_TRUE(WaitFor([&] { return f->History().size() == 2; }));
    EXPECT_TRUE(f->History()[1].contains("Smile130.gif")) << f->History()[1].constData();
    const auto receipt = bob->WaitFor("RRPrivMsg");
    ASSERT_TRUE(receipt.has_value());
    EXPECT_EQ(receipt->field(2), "msg42");

    // Blocked: the server keeps bob's messages away; unblocked, they arrive again.
    dialogs.answers = {true, true};
    f->BlockButton->click();
    ASSERT_TRUE(IsBlocked(*dm, "bob"));
    ASSERT_TRUE(WaitFor([&] { return Header(m, "AIM") == "2 Contacts Online"; }));
    EXPECT_EQ(m->Tree->data(m->Tree->index(1, 0, m->Tree->GroupIndex("AIM"))).toString(), "bob [blocked]");
    WaitFor([] { return false; }, 300); // the list reaches the server
    bob->Send("PrivMsg", {"alice", "bob", "blocked?", "msg42"});
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(f->History().size(), 2);
    dialogs.answers = {true};
    AskUnblock(*dm, "bob");
    WaitFor([] { return false; }, 300);
    bob->Send("PrivMsg", {"alice", "bob", "and now?", "msg42"});
    ASSERT_TRUE(WaitFor([&] { return f->History().size() == 3; }));

    // bob leaves: back to the offline group.
    bob->Disconnect();
    ASSERT_TRUE(WaitFor([&] { return Names(m, "PIM").contains("bob"); }));
    EXPECT_FALSE(Names(m, "AIM").contains("bob"));
}

TEST_F(ContactsServerTest, SearchAddProfileAndContactRemoval) {
    TMainForm* m = LogOn("alice");
    ASSERT_NE(m, nullptr);
    auto carol = service.LoggedOn("carol");
    ASSERT_TRUE(WaitFor([&] { return Names(m, "AIM").contains("carol"); }));

    TAddForm* add = TAddForm::Open(*dm);
    add->NickEdit->setText("bob");
    add->Find();
    ASSERT_TRUE(WaitFor([&] { return add->AddTable.RecordCount() >= 1; }));
    EXPECT_EQ(add->AddTable.ValueAt(0, "Name"), "bob");

    // "My Info": the own profile in the edit layout.
    dm->SendCmd("GetInfo", {"alice"});
    ASSERT_TRUE(WaitFor([&] { return Ui().InfoForm != nullptr; }));
    EXPECT_TRUE(Ui().InfoForm->EditLayout());
    EXPECT_EQ(Ui().InfoForm->PasswordEdit->text(), "secret1");

    // Removing carol from the contact list: she stays online, no longer bold.
    m->NodeReleased(m->Tree->index(1, 0, m->Tree->GroupIndex("AIM")), Qt::LeftButton);
    ASSERT_EQ(m->SelectedOnline, "carol");
    ASSERT_TRUE(m->Online.DelCList->isVisible());
    m->Online.DelCList->trigger();
    ASSERT_TRUE(
        WaitFor([&] { return m->Tree->Node(m->Tree->index(1, 0, m->Tree->GroupIndex("AIM")))->CL == "0"; }));
    EXPECT_TRUE(Names(m, "AIM").contains("carol"));
}
