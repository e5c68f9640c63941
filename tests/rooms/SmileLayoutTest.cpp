#include "rooms/SmilePanel.h"

#include <gtest/gtest.h>

using korvex::rooms::SmileCell;
using korvex::rooms::SmileLayout;

namespace {

SmileCell tip(int w, int h) {
    return {QSize(w, h), true};
}
SmileCell bare(int w, int h) {
    return {QSize(w, h), false};
}

} // namespace

TEST(SmileLayout, PlacesPicturesInRowsThatWrapBeforeTheEdge) {
    struct Case {
        const char* what;
        QList<SmileCell> cells;
        QList<QPoint> places;
    };
    // Panel 100 wide: a row may reach x = 80 after a picture; beyond that the picture starts the next row.
    const Case cases[] = {
        {"nothing to place", {}, {}},
        {"a row wraps after x passes width - 20",
         {tip(20, 20), tip(20, 20), tip(20, 20)},
         {{0, 0}, {28, 0}, {0, 24}}},
        {"x may end exactly at width - 20 without wrapping",
         {tip(12, 20), tip(12, 20), tip(12, 20), tip(12, 20), tip(12, 20)},
         {{0, 0}, {20, 0}, {40, 0}, {60, 0}, {0, 24}}},
        {"the next row goes on at the moved picture's width + 4",
         {tip(20, 10), tip(20, 30), tip(20, 20), tip(20, 20)},
         {{0, 0}, {28, 0}, {0, 34}, {24, 34}}},
        {"a picture without tool-tip file takes the place and does not advance it",
         {tip(20, 20), bare(30, 30), tip(20, 20)},
         {{0, 0}, {28, 0}, {28, 0}}},
        {"a picture without tool-tip file does not make the row taller",
         {bare(20, 50), tip(20, 10), tip(20, 10), tip(20, 10)},
         {{0, 0}, {0, 0}, {28, 0}, {0, 14}}},
        {"a tall picture that starts a row keeps the next row below it",
         {tip(20, 10), tip(20, 10), tip(20, 40), tip(20, 10), tip(20, 10), tip(20, 10)},
         {{0, 0}, {28, 0}, {0, 44}, {24, 44}, {52, 44}, {0, 88}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SmileLayout(c.cells, 100), c.places) << c.what;
}
