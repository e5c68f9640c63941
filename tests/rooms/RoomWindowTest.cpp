// The room handlers and windows against a recording protocol peer: what arrives is dispatched as the data
// module does, what the windows send is read back from the peer.
#include "../session/SessionFixture.h"
#include "contacts/ChatView.h"
#include "net/TBBClient.h"
#include "platform/AppPaths.h"
#include "rooms/RoomUserList.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "rooms/TInviteForm.h"
#include "rooms/TListForm.h"
#include "rooms/TNewRForm.h"

#include <QBuffer>
#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace korvex;
using rooms::TChatForm;

namespace {

class RoomWindowTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        rooms::Ui().ShowWindows = false;
        StartDataModuleForServer();
        rooms::RegisterRoomHandlers(*dm);
        dm->OwnNick = "alice";
        dm->UserType = "0";
        dm->StartConnection();
        ASSERT_TRUE(WaitFor([this] { return dm->MainClient->Active() && server.Count("GetVersion") > 0; }));
        server.received.clear();
    }
    void TearDown() override {
        for (TChatForm* f : TChatForm::All(*dm))
            delete f;
        for (QWidget* w : {(QWidget*)rooms::Ui().ListForm.data(), (QWidget*)rooms::Ui().InviteForm.data(),
                           (QWidget*)rooms::Ui().NewRForm.data()})
            delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SessionTest::TearDown();
    }
    void In(const QByteArray& name, std::initializer_list<QByteArray> fields) {
        net::ParsedCommand c;
        c.name = name;
        int i = 0;
        for (const QByteArray& f : fields)
            c.fields[size_t(i++)] = f;
        dm->Dispatcher.Dispatch(c);
        QCoreApplication::processEvents();
    }
    // Waits until the peer has received n commands named name; returns the last of them.
    net::ParsedCommand Sent(const QByteArray& name, int n = 1) {
        EXPECT_TRUE(WaitFor([&] { return server.Count(name) >= n; }, 3000)) << name.constData();
        for (int i = int(server.received.size()) - 1; i >= 0; --i)
            if (server.received[i].name == name) return server.received[i];
        return {};
    }
    void Settle() {
        // Lets anything in flight reach the peer.
        server.Send("Ping");
        QCoreApplication::processEvents();
        WaitFor([] { return false; }, 150);
    }
    TChatForm* Join(const QByteArray& room, const QByteArray& owner = "0") {
        In("RJoinRoom", {room, owner, "Lobby", "", "", "", "GSM2"});
        return TChatForm::FindByRoom(*dm, room);
    }
    void OnLine(const QByteArray& room, const QByteArray& user, const QByteArray& type = "0",
                const QByteArray& flags = "0000", const QByteArray& invisible = "0") {
        In("ChatOnLine", {user, room, "0", type, flags, "0", "0", "0", invisible, "0"});
    }
};

TEST_F(RoomWindowTest, JoinCreatesRegisteredWindowsAndRejoinReusesThem) {
    TChatForm* first = Join("Lounge");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsMediaWindow());
    EXPECT_TRUE(first->FormName().startsWith("chat"));
    EXPECT_EQ(Sent("GetChatUsers").field(1), "Lounge");
    EXPECT_EQ(first->Codec(), "GSM2");

    TChatForm* second = Join("Quiet");
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->IsMediaWindow());
    EXPECT_NE(second->FormName(), first->FormName());
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 2);

    OnLine("Lounge", "bob");
    ASSERT_EQ(first->Users().Count(), 1);
    EXPECT_EQ(Join("lounge", "1"), first); // the same room, found ignoring case: no second window
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 2);
    EXPECT_TRUE(first->IsOwner());
    EXPECT_EQ(first->Users().Count(), 0); // refreshed: the server lists the users again
    EXPECT_EQ(Sent("GetVideoUsers").field(1), "Lounge");

    // The reconnection re-joins the room of the current row with the remembered values.
    const auto ref = dm->FindRoomWindow(dm->ChatFormTable.Value("FormName"));
    ASSERT_TRUE(ref.has_value());
    EXPECT_EQ(ref->group, "Lobby");
}

TEST_F(RoomWindowTest, ReconnectionReentersTheOpenRoom) {
    TChatForm* f = Join("Lounge");
    OnLine("Lounge", "alice", "2", "0000", "1"); // entered invisibly
    dm->LoggedIn = true;
    dm->OwnPassword = "secret1";
    dm->MacAddress = "00-11-22-33-44-55";
    dm->RoomPassword = "pw";
    const quint16 port = server.Port();
    server.StopListening();
    server.DropClients();
    ASSERT_TRUE(WaitFor([&] { return !dm->MainClient->Active(); }));
    server.received.clear();
    ASSERT_TRUE(server.Listen(port));
    Advance(10000);
    const auto join = Sent("JoinRoom");
    EXPECT_EQ(join.field(2), "Lobby");
    EXPECT_EQ(join.field(3), "Lounge");
    EXPECT_EQ(join.field(4), "pw");
    EXPECT_EQ(join.field(5), "1");
    // The server's confirmation re-runs the set-up of the same window and asks for the users again.
    In("RJoinRoom", {"Lounge", "0", "Lobby"});
    EXPECT_EQ(TChatForm::FindByRoom(*dm, "Lounge"), f);
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 1);
    EXPECT_EQ(Sent("GetVideoUsers").field(1), "Lounge");
}

TEST_F(RoomWindowTest, PresenceLinesAndInvisibleUsers) {
    TChatForm* f = Join("Lounge");
    OnLine("Lounge", "bob");
    In("ChatOnLine", {"carol", "Lounge", "0", "0", "0000", "0", "0", "0", "0", "1"}); // listed, not announced
    OnLine("Lounge", "dave", "3", "0000", "1");                                       // invisible admin
    OnLine("Lounge", "bob");                                                          // duplicate ignored
    EXPECT_EQ(f->Users().Count(), 2);
    EXPECT_EQ(f->UserTable.RecordCount(), 3);
    ASSERT_EQ(f->History().size(), 1);
    EXPECT_TRUE(f->History()[0].contains("Korvex System: </b>bob has just entered the room"));

    In("ChatOffLine", {"dave", "Lounge"}); // not listed: row removed, nothing said
    In("ChatOffLine", {"bob", "Lounge"});
    In("ChatOffLine", {"alice", "Lounge"}); // the own user is never removed this way
    EXPECT_EQ(f->UserTable.RecordCount(), 1);
    ASSERT_EQ(f->History().size(), 2);
    EXPECT_TRUE(f->History()[1].contains("bob has just left the room"));

    OnLine("Lounge", "alice", "2", "0000", "1");
    EXPECT_EQ(f->StatusText(), "You are invisible in this room");
    EXPECT_TRUE(f->Invisible());
    In("ChatOnLine", {"eve", "Nowhere", "0"}); // no window for that room: ignored
}

TEST_F(RoomWindowTest, ReceivedLinesAreFilteredAndHistoryIsBounded) {
    TChatForm* f = Join("Lounge");
    In("ChatMsg",
       {"Lounge", "bob",
        "<font color=\"#000000\"><b>bob: </b></font><a href=\"javascript:alert(1)\" onclick=\"x\">x</a>"
        "<script>bad()</script>"});
    ASSERT_EQ(f->History().size(), 1);
    EXPECT_FALSE(f->History()[0].contains("javascript:"));
    EXPECT_FALSE(f->History()[0].contains("onclick"));
    EXPECT_FALSE(f->History()[0].contains("<script>"));

    for (int i = 0; i < 1000; ++i)
        f->AddChatLine("bob", "line " + QByteArray::number(i), false);
    EXPECT_EQ(f->History().size(), 1000);
    EXPECT_EQ(f->History().first(), "line 0<br> ");
    EXPECT_EQ(f->View()->LineCount(), 1000);
    EXPECT_TRUE(f->View()->LineText(999).contains("line 999"));

    In("ClearChat", {"Lounge"});
    EXPECT_TRUE(f->History().isEmpty());
}

TEST_F(RoomWindowTest, ReceivedDrawingsKeepTheirOwnFiles) {
    TChatForm* f = Join("Lounge");
    QImage drawing(16, 8, QImage::Format_RGB32);
    drawing.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    drawing.save(&buffer, "PNG");
    const QByteArray label = "<font size=\"3\" color=\"#000000\"><b>bob: </b></font>";
    // Two drawings within one second: the second must not replace the file the first line shows.
    In("ChatMsg", {"Lounge", "bob", label, net::EscapeField(png)});
    In("ChatMsg", {"Lounge", "bob", label + "<script>x</script>", net::EscapeField(png)});
    const QString temp = platform::AppPaths::PathIn(dm->AppDir, "Data/Temp");
    const QStringList files = QDir(temp).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    ASSERT_EQ(f->History().size(), 2);
    QStringList shown; // the file each line shows
    for (const QByteArray& line : f->History())
        for (const QString& file : files)
            if (line.contains("/Data/Temp/" + file.toLatin1() + "\"")) shown.append(file);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_FALSE(f->History()[1].contains("<script>"));
    EXPECT_EQ(ReadAppFile("Data/Temp/" + shown[0]), png); // the field escapes undone

    // The view shows a drawing from its file, and never reads a local file outside the drawings' folder.
    const QUrl own = QUrl::fromLocalFile(temp + "/" + files[1]);
    EXPECT_EQ(f->View()->ImageRequest(own).value<QImage>().size(), QSize(16, 8));
    WriteAppFile("secret.gif", png);
    EXPECT_TRUE(f->View()->ImageRequest(QUrl::fromLocalFile(dm->AppDir + "/secret.gif")).isNull());
    EXPECT_TRUE(f->View()->ImageRequest(QUrl("file:///etc/passwd")).isNull());
}

TEST_F(RoomWindowTest, TypingIndicator) {
    TChatForm* f = Join("Lounge");
    In("Typing", {"bob", "Lounge"});
    EXPECT_EQ(f->StatusText(), "bob is busy typing...");
    In("Typing", {"carol", "Lounge"});
    EXPECT_EQ(f->StatusText(), "bob and carol are busy typing...");
    In("Typing", {"alice", "Lounge"}); // the own notice never shows
    In("Typing", {"dave", "Lounge"});
    EXPECT_EQ(f->StatusText(), "bob, carol and dave are busy typing...");
    In("Typing", {"erin", "Lounge"});
    EXPECT_EQ(f->StatusText(), "4 folks are busy typing...");
    In("Typing", {"erin", "Lounge", "", "0"});
    EXPECT_EQ(f->StatusText(), "bob, carol and dave are busy typing...");
    Advance(4100);
    EXPECT_EQ(f->StatusText(), "");
}

TEST_F(RoomWindowTest, SendingLinesAndTypingNotices) {
    TChatForm* f = Join("Lounge");
    f->SetSendBoxText("<b>hi</b> \xC2\xA9");
    f->SendText();
    const auto msg = Sent("ChatMsg");
    EXPECT_EQ(msg.field(1), "Lounge");
    EXPECT_EQ(msg.field(2), "alice");
    EXPECT_TRUE(msg.field(3).startsWith("<font size=\"3\" color=\"#000000\"><b>alice: </b></font>"));
    EXPECT_TRUE(msg.field(3).contains("&lt;b&gt;hi&lt;/b&gt;"));
    EXPECT_FALSE(msg.field(3).contains('\xA9'));
    EXPECT_TRUE(f->SendBoxText().isEmpty());
    EXPECT_TRUE(f->History().isEmpty()); // the relay brings the own line back

    dm->RestrictNoText = true;
    f->SetSendBoxText("  <i>quiet  ");
    f->SendText();
    EXPECT_EQ(f->SendBoxText(), "&lt;i&gt;quiet");
    f->SendBoxKeyTyped();
    f->SendBoxKeyTyped(); // one notice per burst
    Settle();
    EXPECT_EQ(server.Count("ChatMsg"), 1);
    EXPECT_EQ(server.Count("Typing"), 1);
    Advance(4100);
    f->SendBoxKeyTyped();
    EXPECT_EQ(Sent("Typing", 2).field(2), "Lounge");
}

TEST_F(RoomWindowTest, StyleFileAndNameColour) {
    TChatForm* f = Join("Lounge");
    f->show();
    f->SetSendBoxText("x");
    f->SendText(); // the default font goes out even where it is not installed
    EXPECT_TRUE(Sent("ChatMsg").field(3).contains("face=\"Tahoma\""));
    EXPECT_TRUE(ReadAppFile("Data/chatcolor.dat").isEmpty()); // opening a room writes nothing
    f->Style().size = "3";
    f->Style().colour = 0x0000FF;
    f->Style().face = "Arial";
    f->ChooseNameColour(QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(f->NameColor(), "#336699");
    const QByteArray file = ReadAppFile("Data/chatcolor.dat");
    ASSERT_EQ(file.size(), 47);
    EXPECT_EQ(file[2], 1); // bold
    EXPECT_EQ(file[4], 2); // size "3"
    EXPECT_EQ(file.mid(5, 7), "#336699");
    EXPECT_EQ(file.mid(12, 4), QByteArray("\xFF\0\0\0", 4));
    EXPECT_EQ(file.mid(16, 30), "Arial" + QByteArray(25, ' '));

    // A colour as light as the white view becomes black; the next window starts with the saved style.
    f->ChooseNameColour(QColor(250, 250, 250));
    EXPECT_EQ(f->NameColor(), "#000000");
    f->Leave();
    TChatForm* g = Join("Quiet");
    g->show();
    EXPECT_EQ(g->Style().size, "3");
    EXPECT_EQ(g->Style().face, "Arial");
    g->SetSendBoxText("x");
    g->SendText();
    EXPECT_TRUE(Sent("ChatMsg", 2).field(3).contains("face=\"Arial\""));
}

TEST_F(RoomWindowTest, EncodingsAndCustomColours) {
    TChatForm* f = Join("Lounge");
    f->show();
    const auto banner = Sent("GetBanner"); // the set-up asks for the room's banner
    EXPECT_EQ(banner.field(1), "0");
    EXPECT_EQ(banner.field(2), f->FormName());
    EXPECT_EQ(banner.field(3), "Lounge");

    // The send box's character set decides the code page of what goes out; both choices are kept.
    f->SetSendCharset(204);
    f->SetSendBoxText(
        QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82")); // "Privet" in Cyrillic
    f->SendText();
    EXPECT_TRUE(Sent("ChatMsg").field(3).contains("\xCF\xF0\xE8\xE2\xE5\xF2"));
    f->SetViewCharset(161);
    EXPECT_EQ(ReadAppFile("Data/SendCharset.dat").trimmed(), "204");
    EXPECT_EQ(ReadAppFile("Data/ChatCharset.dat").trimmed(), "161");
    f->Leave();
    TChatForm* g = Join("Quiet");
    g->show();
    EXPECT_EQ(g->SendCharset(), 204);
    EXPECT_EQ(g->View()->Charset(), 161);

    // "Select My Color": the stored custom colours and the current name colour are offered; what the dialog
    // holds afterwards is stored. A cancelled dialog changes nothing.
    WriteAppFile("Data/customcolor.dat", "255\r\nnot a colour\r\n65280\r\n");
    QList<QColor> offered;
    g->PickColour = [&offered](const QColor& initial) {
        offered = {initial, QColorDialog::customColor(0), QColorDialog::customColor(1),
                   QColorDialog::customColor(2)};
        QColorDialog::setCustomColor(3, QColor(0, 0, 255));
        return QColor(0x33, 0x66, 0x99);
    };
    g->SelectMyColor();
    EXPECT_EQ(offered, (QList<QColor>{Qt::black, Qt::black, Qt::red, QColor(0, 255, 0)}));
    EXPECT_EQ(g->NameColor(), "#336699");
    EXPECT_TRUE(ReadAppFile("Data/customcolor.dat").startsWith("0\r\n255\r\n65280\r\n16711680\r\n"));
    g->PickColour = [](const QColor&) { return QColor(); };
    g->SelectMyColor();
    EXPECT_EQ(g->NameColor(), "#336699");
}

TEST_F(RoomWindowTest, RemovalFromRoomsClosesWindowsAndTellsTheUser) {
    Join("Lounge");
    Join("Quiet");
    In("CloseChat", {"ALL", "mod", "Lounge"});
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 0);
    EXPECT_EQ(dialogs.Texts().count("You were kicked from Lounge by mod"), 2);
    EXPECT_EQ(Sent("ExitRoom", 2).name, "ExitRoom");

    Join("Lounge");
    In("CloseChat", {"", "mod", "Lounge"}); // no room named: nothing
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 1);
    In("CloseRoom", {"Lounge", "admin"});
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 0);
    EXPECT_TRUE(dialogs.Texts().contains("The room was closed by: admin"));
}

TEST_F(RoomWindowTest, MoveRoomLeavesTheOldRoomBeforeJoining) {
    Join("Lounge");
    In("MoveRoom", {"Lobby", "Quiet"});
    const auto join = Sent("JoinRoom");
    EXPECT_EQ(join.field(3), "Quiet");
    EXPECT_EQ(join.field(5), "0");
    const QList<QByteArray> names = server.ReceivedNames();
    EXPECT_LT(names.indexOf("ExitRoom"), names.indexOf("JoinRoom"));
    EXPECT_EQ(dm->ChatFormTable.RecordCount(), 0);
}

TEST_F(RoomWindowTest, LeavingSendsFloorReleaseAndExit) {
    TChatForm* f = Join("Lounge");
    In("ChatOnLine", {"alice", "Lounge", "0", "0", "0000", "1", "0", "0", "0", "1"}); // hand raised
    dm->HoldsMic = true;
    f->Leave();
    const auto exit = Sent("ExitRoom");
    EXPECT_EQ(exit.field(2), "Lobby");
    EXPECT_EQ(exit.field(3), "Lounge");
    const QList<QByteArray> names = server.ReceivedNames();
    EXPECT_LT(names.indexOf("DelMic"), names.indexOf("ExitRoom"));
    EXPECT_LT(names.indexOf("SetHand"), names.indexOf("ExitRoom"));
    EXPECT_EQ(TChatForm::FindByRoom(*dm, "Lounge"), nullptr);
}

TEST_F(RoomWindowTest, ModerationRightsAndRedDots) {
    TChatForm* f = Join("Lounge");
    OnLine("Lounge", "mod", "2");
    OnLine("Lounge", "bob", "0", "1000");
    OnLine("Lounge", "alice");

    // An ordinary user: no rights.
    ASSERT_TRUE(f->SetTarget("bob"));
    EXPECT_FALSE(f->MenuState().adminsPack);
    f->Kick();
    EXPECT_TRUE(dialogs.Texts().contains("Cannot kick this user."));

    dm->UserType = "3";
    struct KickCase {
        const char* target;
        bool allowed;
    };
    for (const KickCase& k : {KickCase{"mod", false}, KickCase{"alice", false}, KickCase{"bob", true}}) {
        dialogs.shown.clear();
        ASSERT_TRUE(f->SetTarget(k.target));
        f->Kick();
        EXPECT_EQ(dialogs.Texts().contains("Cannot kick this user."), !k.allowed) << k.target;
    }
    EXPECT_EQ(Sent("KikUser").field(1), "bob");

    ASSERT_TRUE(f->SetTarget("bob"));
    f->RestrictTarget(2, true);
    EXPECT_EQ(Sent("SetRDot").field(2), "1010");
    f->DoubleClickTarget();
    EXPECT_EQ(Sent("SetRDot", 2).field(2), "1111");
    In("SetRDot", {"bob", "1111"});
    ASSERT_TRUE(f->SetTarget("bob"));
    f->DoubleClickTarget();
    EXPECT_EQ(Sent("SetRDot", 3).field(2), "0000");
    ASSERT_TRUE(f->SetTarget("mod"));
    f->RestrictTarget(0, true); // protected: nothing
    Settle();
    EXPECT_EQ(server.Count("SetRDot"), 3);

    // "Ban" hands an unprotected other user to the administration console; everyone else gets the warning.
    QList<QByteArray> banned;
    rooms::Ui().BanUser = [&banned](const QByteArray& nick) { banned.append(nick); };
    for (const KickCase& k : {KickCase{"mod", false}, KickCase{"alice", false}, KickCase{"bob", true}}) {
        dialogs.shown.clear();
        ASSERT_TRUE(f->SetTarget(k.target));
        f->Ban();
        EXPECT_EQ(dialogs.Texts().contains("Cannot ban this user."), !k.allowed) << k.target;
    }
    rooms::Ui().BanUser = nullptr;
    EXPECT_EQ(banned, QList<QByteArray>{"bob"});

    // "Room Banner": staff, and owners who pay.
    struct BannerCase {
        const char* type;
        bool owner;
        bool shown;
    };
    for (const BannerCase& b :
         {BannerCase{"0", true, false}, BannerCase{"1", true, true}, BannerCase{"1", false, false},
          BannerCase{"2", false, true}, BannerCase{"3", false, true}}) {
        dm->UserType = b.type;
        f->SetOwner(b.owner);
        EXPECT_EQ(f->MenuState().roomBanner, b.shown) << b.type << b.owner;
    }
    dm->UserType = "3";
    f->SetOwner(false);

    EXPECT_FALSE(f->SetTarget("nobody"));
    ASSERT_TRUE(f->SetTarget("alice"));
    const auto own = f->MenuState();
    EXPECT_FALSE(own.sendEntries);
    EXPECT_TRUE(own.ban);
    EXPECT_FALSE(own.addBlock);

    In("SetRDot", {"alice", "1001"});
    EXPECT_TRUE(dm->RestrictNoText);
    EXPECT_FALSE(dm->RestrictNoVoice);
    EXPECT_TRUE(dm->RestrictNoAll);
}

TEST_F(RoomWindowTest, DirectoryFlows) {
    auto* l = new rooms::TListForm(*dm);
    rooms::Ui().ListForm = l;
    l->show();
    EXPECT_EQ(Sent("GetGroups").field(1), "alice");
    EXPECT_TRUE(l->InvBox->isHidden());
    In("RGetGroups", {"Lobby", "3", "255", "0"});
    In("RGetGroups", {"Staff", "1", "0", "1"});
    In("RGetGroups", {"Lobby", "3", "255", "0"}); // a repeated reply adds nothing
    EXPECT_EQ(l->GroupsTable.RecordCount(), 2);

    l->SelectGroup(1);
    l->Join();
    EXPECT_EQ(Sent("GetRooms").field(1), "Staff");
    In("RGetRooms", {"NO"});
    EXPECT_TRUE(l->RoomsShown());
    EXPECT_FALSE(l->CreateButton->isHidden());
    l->Create(); // ordinary user in a group without user rooms
    EXPECT_TRUE(dialogs.Texts().contains("User rooms may not be created within the group \"Staff\""));
    EXPECT_TRUE(l->NewPanel->isHidden());

    l->BackToGroups();
    l->SelectGroup(0);
    l->Join();
    In("RGetRooms", {"Open", "2", "0", "0", "0"});
    In("RGetRooms", {"Locked", "1", "1", "0", "0"});
    l->SelectRoom(1);
    l->Join();
    EXPECT_FALSE(l->PassPanel->isHidden());
    l->PassEdit->setText("pw");
    l->PassOk();
    auto join = Sent("JoinRoom");
    EXPECT_EQ(join.field(3), "Locked");
    EXPECT_EQ(join.field(4), "pw");
    EXPECT_EQ(join.field(5), "0");
    EXPECT_EQ(dm->RoomPassword, "pw");

    // Creation: a locked room needs a password.
    l->Create();
    l->NameEdit->setText("Mine");
    l->LockBox->setChecked(true);
    l->NewOk();
    EXPECT_TRUE(dialogs.Texts().contains(session::LangText(34)));
    Settle();
    EXPECT_EQ(server.Count("NewRoom"), 0);
    l->NewPassEdit->setText("s3");
    l->NewOk();
    EXPECT_EQ(Sent("NewRoom").field(3), "s3");
    In("RNewRoom", {"OK", "Mine"});
    join = Sent("JoinRoom", 2);
    EXPECT_EQ(join.field(3), "Mine");
    EXPECT_EQ(join.field(4), "s3");
}

TEST_F(RoomWindowTest, Invitations) {
    auto* inv = rooms::TInviteForm::OpenFor(*dm, "bob");
    inv->SendOk(); // no room open
    EXPECT_TRUE(dialogs.Texts().contains(session::LangText(35)));

    Join("Lounge");
    In("Invite", {"alice", "bob", "Lobby", "Lounge", "0"});
    ASSERT_TRUE(rooms::Ui().InviteForm);
    EXPECT_TRUE(rooms::Ui().InviteForm->Receiving());
    rooms::Ui().InviteForm->AcceptOk(); // already there: nothing sent, closed after a second
    Advance(1100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(rooms::Ui().InviteForm);
    Settle();
    EXPECT_EQ(server.Count("JoinRoom"), 0);
}

} // namespace
