#include "support/ServerFixture.h"

#include <gtest/gtest.h>

using korvex::net::ParsedCommand;
using korvex::testing::Field;
using korvex::testing::ServerFixture;
using korvex::testing::TestClient;

namespace {

// Demo groups and rooms, and users of every type.
struct RoomWorld : ServerFixture {
    RoomWorld() {
        AddUser("alice");
        AddUser("bob");
        AddUser("carol");
        AddUser("paid", 1);
        AddUser("mod", 2);
        AddUser("admin", 3);
        Server().Rooms().SeedDemo();
    }
    // Logs on and enters room, the answers taken from the inbox.
    std::unique_ptr<TestClient> InRoom(const QByteArray& nick, const QByteArray& room,
                                       const QByteArray& password = {}, const QByteArray& invisible = "0") {
        auto c = LoggedOn(nick);
        c->Send("JoinRoom", {nick, "Lobby", room, password, invisible});
        EXPECT_TRUE(c->WaitFor("RJoinRoom", Field(1, room))) << nick.constData();
        c->Send("GetChatUsers", {room});
        EXPECT_TRUE(c->WaitFor("ChatOnLine", Field(1, nick)));
        c->ClearInbox();
        return c;
    }
};

TEST(ServerRooms, DirectoryListsGroupsAndRooms) {
    RoomWorld w;
    auto alice = w.LoggedOn("alice");
    alice->Send("GetGroups", {"alice"});
    const auto lobby = alice->WaitFor("RGetGroups", Field(1, "Lobby"));
    ASSERT_TRUE(lobby);
    EXPECT_EQ(lobby->field(2), "3");
    EXPECT_NE(lobby->field(3), "0");
    EXPECT_TRUE(alice->WaitFor("RGetGroups", Field(4, "1"))); // the help group forbids user rooms

    alice->Send("GetRooms", {"Lobby"});
    const auto locked = alice->WaitFor("RGetRooms", Field(1, "Private Lounge"));
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->field(3), "1");
    EXPECT_EQ(locked->field(2), "0");
    alice->Send("GetRooms", {"No such group"});
    EXPECT_TRUE(alice->WaitFor("RGetRooms", Field(1, "NO")));
}

TEST(ServerRooms, JoiningWithPasswordsCodesAndInvisibility) {
    RoomWorld w;
    auto alice = w.LoggedOn("alice");
    alice->Send("JoinRoom", {"alice", "Lobby", "Private Lounge", "wrong"});
    EXPECT_TRUE(alice->WaitFor("RJoinRNO"));
    alice->Send("JoinRoom", {"alice", "Lobby", "Private Lounge", "owls"});
    const auto joined = alice->WaitFor("RJoinRoom");
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->field(2), "0");
    EXPECT_EQ(joined->field(3), "Lobby");
    EXPECT_EQ(joined->field(7), "GSM1");
    alice->Send("JoinRoom", {"bob", "Lobby", "Welcome", ""}); // another user's name
    EXPECT_FALSE(alice->Receives("RJoinRoom"));

    // A room created with an admin code: whoever knows it enters as owner, even without the password.
    auto bob = w.LoggedOn("bob");
    bob->Send("NewRoom", {"Lobby", "Bobs Den", "pw", "bob", "1", "code7"});
    ASSERT_TRUE(bob->WaitFor("RNewRoom", Field(1, "OK")));
    EXPECT_FALSE(
        w.Server().Rooms().FindRoom("Bobs Den")->permanent); // only administrators make them permanent
    bob->Send("JoinRoom", {"bob", "Lobby", "Bobs Den", "pw"});
    EXPECT_EQ(bob->WaitFor("RJoinRoom")->field(2), "1");
    auto carol = w.LoggedOn("carol");
    carol->Send("JoinRoom", {"carol", "Lobby", "bobs den", "", "0", "code7"});
    EXPECT_EQ(carol->WaitFor("RJoinRoom")->field(2), "1");

    // Invisible entry: only for moderators and administrators, and only staff learn of it.
    auto mod = w.InRoom("mod", "Welcome", {}, "1");
    auto paid = w.LoggedOn("paid");
    paid->Send("JoinRoom", {"paid", "Lobby", "Welcome", "", "1"});
    ASSERT_TRUE(paid->WaitFor("RJoinRoom"));
    EXPECT_TRUE(mod->WaitFor("ChatOnLine", Field(1, "paid")));
    paid->Send("GetChatUsers", {"Welcome"});
    const auto self = paid->WaitFor("ChatOnLine", Field(1, "paid"));
    ASSERT_TRUE(self);
    EXPECT_EQ(self->field(9), "0");
    EXPECT_EQ(self->field(10), "1");
    EXPECT_FALSE(paid->Receives("ChatOnLine", Field(1, "mod")));
}

TEST(ServerRooms, CreationRules) {
    RoomWorld w;
    auto alice = w.LoggedOn("alice");
    struct Case {
        QByteArray group, room;
        QByteArray answer, reason;
    };
    const Case cases[] = {
        {"Lobby", "Alices", "OK", ""},
        {"Lobby", "welcome", "NO", "1"}, // name taken, whatever its case
        {"Lobby", "Second", "NO", "2"},  // already owns one
        {"Lobby", " padded", "NO", "1"},
    };
    for (const Case& c : cases) {
        alice->Send("NewRoom", {c.group, c.room, "", "alice", "0", ""});
        const auto r = alice->WaitFor("RNewRoom");
        ASSERT_TRUE(r) << c.room.constData();
        EXPECT_EQ(r->field(1), c.answer) << c.room.constData();
        if (!c.reason.isEmpty()) {
            EXPECT_EQ(r->field(2), c.reason) << c.room.constData();
        }
    }
    alice->Send("NewRoom", {"Help and Support", "Mine", "", "alice", "0", ""});
    EXPECT_FALSE(alice->Receives("RNewRoom"));
    auto admin = w.LoggedOn("admin");
    admin->Send("NewRoom", {"Help and Support", "Staff Room", "", "admin", "1", ""});
    EXPECT_TRUE(admin->WaitFor("RNewRoom", Field(1, "OK")));
    EXPECT_TRUE(w.Server().Rooms().FindRoom("Staff Room")->permanent);
    admin->Send("SetRoomBanner", {"Staff Room", "http://korvex.example/b.gif", "http://korvex.example/", ""});
    admin->Send("p");
    admin->Receives("none", {}, 100);
    EXPECT_EQ(w.Server().Rooms().FindRoom("Staff Room")->bannerUrl, "http://korvex.example/b.gif");
}

TEST(ServerRooms, MembershipAndChatRelay) {
    RoomWorld w;
    auto alice = w.InRoom("alice", "Welcome");
    auto bob = w.LoggedOn("bob");
    bob->Send("ChatMsg", {"Welcome", "bob", "not a member"});
    EXPECT_FALSE(alice->Receives("ChatMsg"));
    bob->Send("JoinRoom", {"bob", "Lobby", "Welcome", ""});
    const auto entered = alice->WaitFor("ChatOnLine", Field(1, "bob"));
    ASSERT_TRUE(entered);
    EXPECT_EQ(entered->field(10), "0");
    bob->Send("GetChatUsers", {"Welcome"});
    auto listed = bob->WaitFor("ChatOnLine", Field(1, "alice"));
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->field(10), "1");
    EXPECT_TRUE(bob->WaitFor("ChatOnLine", Field(1, "bob")));

    // Everyone, the sender included, gets the line once.
    alice->Send("ChatMsg", {"Welcome", "alice", "<b>alice: </b>hello"});
    for (TestClient* c : {alice.get(), bob.get()}) {
        const auto line = c->WaitFor("ChatMsg");
        ASSERT_TRUE(line);
        EXPECT_EQ(line->field(2), "alice");
        EXPECT_EQ(line->field(3), "<b>alice: </b>hello");
        EXPECT_FALSE(c->Receives("ChatMsg"));
    }
    bob->Send("Typing", {"bob", "Welcome"});
    EXPECT_TRUE(alice->WaitFor("Typing", Field(1, "bob")));
    EXPECT_FALSE(bob->Receives("Typing"));

    bob->Send("ExitRoom", {"bob", "Lobby", "Welcome"});
    EXPECT_TRUE(alice->WaitFor("ChatOffLine", Field(1, "bob")));
    // A dropped connection leaves the room too; an empty user room disappears.
    alice->Send("NewRoom", {"Lobby", "Short Lived", "", "alice", "0", ""});
    ASSERT_TRUE(alice->WaitFor("RNewRoom", Field(1, "OK")));
    alice->Send("JoinRoom", {"alice", "Lobby", "Short Lived", ""});
    ASSERT_TRUE(alice->WaitFor("RJoinRoom", Field(1, "Short Lived")));
    bob->Send("JoinRoom", {"bob", "Lobby", "Short Lived", ""});
    ASSERT_TRUE(bob->WaitFor("RJoinRoom", Field(1, "Short Lived")));
    alice->Disconnect();
    EXPECT_TRUE(bob->WaitFor("ChatOffLine", Field(1, "alice")));
    bob->Send("ExitRoom", {"bob", "Lobby", "Short Lived"});
    bob->Send("p");
    bob->Receives("none", {}, 100);
    EXPECT_EQ(w.Server().Rooms().FindRoom("Short Lived"), nullptr);
    EXPECT_NE(w.Server().Rooms().FindRoom("Welcome"), nullptr); // permanent
}

TEST(ServerRooms, ModerationRights) {
    RoomWorld w;
    auto alice = w.InRoom("alice", "Welcome");
    auto bob = w.InRoom("bob", "Welcome");
    auto mod = w.InRoom("mod", "Welcome");
    alice->ClearInbox();

    // An ordinary user can neither kick nor restrict nor clear.
    bob->Send("KikUser", {"alice", "Welcome"});
    bob->Send("SetRDot", {"alice", "1000", "Welcome"});
    bob->Send("ClearChat", {"Lobby", "Welcome"});
    bob->Send("DelRoom", {"Lobby", "Welcome"});
    EXPECT_FALSE(alice->Receives("CloseChat"));
    EXPECT_TRUE(alice->Inbox().isEmpty());

    // Moderators are protected from each other and from themselves.
    auto admin = w.InRoom("admin", "Welcome");
    admin->Send("KikUser", {"mod", "Welcome"});
    admin->Send("KikUser", {"admin", "Welcome"});
    EXPECT_FALSE(mod->Receives("CloseChat"));

    // Restricting text: everybody in the room learns it, and the server refuses the user's lines.
    mod->Send("SetRDot", {"alice", "1000", "Welcome"});
    EXPECT_EQ(alice->WaitFor("SetRDot")->field(2), "1000");
    EXPECT_EQ(bob->WaitFor("SetRDot")->field(1), "alice");
    alice->Send("ChatMsg", {"Welcome", "alice", "quiet?"});
    EXPECT_FALSE(bob->Receives("ChatMsg"));
    mod->Send("SetRDot", {"alice", "10x0", "Welcome"});
    EXPECT_FALSE(alice->Receives("SetRDot"));

    mod->Send("ClearChat", {"Lobby", "Welcome"});
    EXPECT_TRUE(bob->WaitFor("ClearChat", Field(1, "Welcome")));

    mod->Send("KikUser", {"bob", "Welcome"});
    const auto kicked = bob->WaitFor("CloseChat");
    ASSERT_TRUE(kicked);
    EXPECT_EQ(kicked->field(1), "Welcome");
    EXPECT_EQ(kicked->field(2), "mod");
    EXPECT_TRUE(alice->WaitFor("ChatOffLine", Field(1, "bob")));
    bob->Send("ChatMsg", {"Welcome", "bob", "still here?"});
    EXPECT_FALSE(alice->Receives("ChatMsg"));

    admin->Send("SysMsg", {"Maintenance at noon", "Welcome"});
    EXPECT_TRUE(alice->WaitFor("SysMsg", Field(1, "Maintenance at noon")));
    admin->Send("DelRoom", {"Lobby", "Welcome"});
    const auto closed = alice->WaitFor("CloseRoom");
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->field(2), "admin");
    EXPECT_EQ(w.Server().Rooms().FindRoom("Welcome"), nullptr);
}

TEST(ServerRooms, InvitationsAndRejoinAfterRestart) {
    RoomWorld w;
    auto alice = w.InRoom("alice", "Private Lounge", "owls");
    auto bob = w.LoggedOn("bob");
    alice->Send("Invite", {"bob", "alice", "Lobby", "Private Lounge"});
    const auto inv = bob->WaitFor("Invite");
    ASSERT_TRUE(inv);
    EXPECT_EQ(inv->field(2), "alice");
    EXPECT_EQ(inv->field(4), "Private Lounge");
    EXPECT_EQ(inv->field(5), "1");
    bob->Send("Invite", {"alice", "bob", "Lobby", "Private Lounge"}); // not in the room himself
    EXPECT_FALSE(alice->Receives("Invite"));

    // The room survives a restart of the server (permanent), and a client that logs on again re-enters.
    alice.reset();
    bob.reset();
    w.Restart();
    ASSERT_NE(w.Server().Rooms().FindRoom("Private Lounge"), nullptr);
    auto again = w.LoggedOn("alice");
    again->Send("JoinRoom", {"alice", "Lobby", "Private Lounge", "owls", "0", ""});
    EXPECT_TRUE(again->WaitFor("RJoinRoom"));
}

} // namespace
