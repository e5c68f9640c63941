#include "rooms/RoomModeration.h"

#include <gtest/gtest.h>

using namespace korvex::rooms;

TEST(RoomModeration, RedDotFlags) {
    EXPECT_EQ(RedDotFlags("1000", RedDot::NoVoice, true), "1010");
    EXPECT_EQ(RedDotFlags("", RedDot::NoVoice, true), "0010");
    EXPECT_EQ(RedDotFlags("1x11", RedDot::NoText, false), "0011");
    EXPECT_EQ(RedDotFlags("1111", RedDot::NoVideo, false), "1011");
    EXPECT_EQ(DoubleClickFlags(""), "1111");
    EXPECT_EQ(DoubleClickFlags("1"), "0000");
}

TEST(RoomModeration, Rights) {
    struct Case {
        const char* own;
        bool owns;
        const char* target;
        bool self;
        bool allowed;
    };
    const Case cases[] = {
        {"3", false, "0", false, true},  {"2", false, "1", false, true},  {"0", true, "0", false, true},
        {"0", false, "0", false, false}, {"3", false, "2", false, false}, {"2", false, "3", false, false},
        {"3", false, "0", true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MayRestrict(c.own, c.owns, c.target, c.self), c.allowed)
            << c.own << c.owns << c.target << c.self;
}
