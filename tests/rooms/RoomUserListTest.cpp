#include "rooms/RoomUserList.h"

#include "net/Clock.h"

#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

using namespace korvex::rooms;
using korvex::net::Clock;
using korvex::net::ManualClock;

namespace {

// Installs a manual clock for the test's lifetime so stamps are chosen by the test.
struct ClockFixture : ::testing::Test {
    ManualClock clock;
    ClockFixture() { Clock::Install(&clock); }
    ~ClockFixture() override { Clock::Install(nullptr); }
};

QStringList order(const RoomUserList& list) {
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << QString::fromLatin1(list.At(i).name);
    return names;
}

} // namespace

using RoomUserListTest = ClockFixture;

TEST_F(RoomUserListTest, OrderOfGroups) {
    RoomUserList list;
    // name, owner, type, flags, hand, mic, colour; one second between arrivals
    const struct {
        const char *name, *owner, *type, *hand, *mic;
    } arrivals[] = {
        {"other1", "0", "0", "0", "0"},  {"admin", "0", "3", "0", "0"},  {"hand1", "0", "0", "1", "0"},
        {"owner", "1", "0", "0", "0"},   {"mod", "0", "2", "0", "0"},    {"hand2", "0", "0", "1", "0"},
        {"speaker", "0", "0", "0", "1"}, {"other2", "0", "0", "0", "0"}, {"cam", "0", "0", "0", "0"},
    };
    for (const auto& a : arrivals) {
        list.AddRoomUser(a.name, a.owner, a.type, "0000", a.hand, a.mic, "0");
        clock.advance(1000);
    }
    list.SetCamFlag("cam", true);
    EXPECT_EQ(order(list),
              (QStringList{"speaker", "hand1", "hand2", "admin", "mod", "owner", "cam", "other2", "other1"}));
}

TEST_F(RoomUserListTest, HandsByMilliseconds) {
    RoomUserList list;
    list.AddRoomUser("a", "0", "0", "0000", "0", "0", "0");
    list.AddRoomUser("b", "0", "0", "0000", "0", "0", "0");
    clock.set(QDateTime(QDate(2026, 5, 1), QTime(10, 0, 0, 99)));
    list.ToggleHand("b");
    clock.set(QDateTime(QDate(2026, 5, 1), QTime(10, 0, 0, 100)));
    list.ToggleHand("a");
    EXPECT_EQ(order(list), (QStringList{"b", "a"})); // 99 ms before 100 ms
    list.ToggleHand("b");                            // lowered: back among the others
    EXPECT_EQ(order(list), (QStringList{"a", "b"}));
    EXPECT_TRUE(list.FirstHandIsMine("a"));
}

TEST_F(RoomUserListTest, RestrictionLowersHandExceptNotAll) {
    RoomUserList list;
    for (const char* n : {"h1", "h2", "h3", "x"}) {
        list.AddRoomUser(n, "0", "0", "0000", n[0] == 'h' ? "1" : "0", "0", "0");
        clock.advance(10);
    }
    list.SetUserFlags("h3", std::nullopt, QByteArray("0001"), std::nullopt);
    EXPECT_TRUE(list.IsHandRaised("h3"));
    list.SetUserFlags("h1", std::nullopt, QByteArray("0100"), std::nullopt);
    EXPECT_FALSE(list.IsHandRaised("h1"));
    // parked right after the last raised hand
    EXPECT_EQ(order(list), (QStringList{"h2", "h3", "h1", "x"}));
    EXPECT_EQ(list.At(2).flags, "0100");
    EXPECT_EQ(list.At(2).videoFlag, "1");
}

TEST_F(RoomUserListTest, MicAndQueries) {
    RoomUserList list;
    list.AddRoomUser("Alice", "0", "0", "0000", "1", "0", "0");
    list.AddRoomUser("bob", "0", "0", "0000", "0", "0", "0");
    list.SetMicHolder("bob");
    EXPECT_EQ(order(list).first(), "bob");
    EXPECT_TRUE(list.HasMic("bob"));
    EXPECT_TRUE(list.MicHeldByOtherThan("alice"));
    EXPECT_FALSE(list.MicHeldByOtherThan("BOB"));
    list.MarkSpeakerTalking();
    EXPECT_EQ(list.Look(0).voice, VoiceIcon::Mic);
    list.ClearMicFlags();
    EXPECT_FALSE(list.HasMic("bob"));
    EXPECT_TRUE(list.IsUserListed("ALICE"));
    list.RemoveRoomUser("ALICE"); // removal matches exact names only
    EXPECT_TRUE(list.IsUserListed("alice"));
    list.RemoveRoomUser("Alice");
    EXPECT_FALSE(list.IsUserListed("alice"));
    EXPECT_FALSE(list.AnyHandRaised());
}

TEST_F(RoomUserListTest, LooksOfUsers) {
    struct Case {
        const char *type, *owner, *colour;
        bool blocked;
        QByteArray caption;
        QColor colour_;
    };
    const Case cases[] = {
        {"2", "0", "0", false, "@u", QColor(255, 117, 0)},
        {"3", "0", "0", false, "@u", QColor(255, 0, 0)},
        {"1", "0", "0", false, "u", QColor(0, 0, 255)},
        {"1", "1", "255", false, "@u", QColor(255, 0, 0)},
        {"0", "1", "0", false, "@u", QColor(0, 0, 0)},
        {"0", "0", "8388608", true, "u [blocked]", QColor(0, 0, 128)},
        {"7", "0", "0", false, "", QColor()},
    };
    for (const auto& c : cases) {
        RoomUserData u;
        u.name = "u";
        u.userType = c.type;
        u.owner = c.owner;
        u.colour = QByteArray(c.colour).toUInt();
        const auto look = LookOf(u, c.blocked);
        EXPECT_EQ(look.caption, c.caption) << c.type << c.owner;
        if (!c.caption.isEmpty()) {
            EXPECT_EQ(look.colour, c.colour_) << c.type << c.owner;
        }
    }
    RoomUserData u;
    u.SetFlags("0100");
    u.hand = true;
    auto look = LookOf(u, false);
    EXPECT_EQ(look.text, TextIcon::Off);
    EXPECT_EQ(look.video, VideoIcon::Off);
    EXPECT_EQ(look.voice, VoiceIcon::Hand);
    u.SetFlags("0010");
    EXPECT_EQ(LookOf(u, false).voice, VoiceIcon::Off);
}

// Sorted insertion and moves must leave the list exactly as a full sort by key would.
TEST_F(RoomUserListTest, IncrementalOrderMatchesFullSort) {
    QRandomGenerator rng(42);
    RoomUserList list;
    QList<QByteArray> names;
    for (int step = 0; step < 2000; ++step) {
        clock.advance(qint64(rng.bounded(1500)));
        const QByteArray name = "u" + QByteArray::number(rng.bounded(60));
        switch (rng.bounded(6)) {
        case 0:
        case 1:
            if (!list.IsUserListed(name))
                list.AddRoomUser(name, rng.bounded(5) == 0 ? "1" : "0", QByteArray::number(rng.bounded(4)),
                                 "0000", rng.bounded(4) == 0 ? "1" : "0", "0", "0");
            break;
        case 2:
            list.ToggleHand(name);
            break;
        case 3:
            list.SetCamFlag(name, rng.bounded(2));
            break;
        case 4:
            list.RemoveRoomUser(name);
            break;
        case 5:
            rng.bounded(2) ? list.SetMicHolder(name) : list.ClearMic(name);
            break;
        }
        for (int i = 1; i < list.Count(); ++i)
            ASSERT_LE(SortKey(list.At(i - 1)), SortKey(list.At(i))) << "step " << step << " row " << i;
    }
}
