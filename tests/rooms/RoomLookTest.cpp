// How the room window looks: the pictures of the user list lines and the smiley panel.
#include "contacts/Smileys.h"
#include "rooms/RoomUserDelegate.h"
#include "rooms/RoomUserList.h"
#include "rooms/SmilePanel.h"
#include "rooms/TChatForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"
#include "session/TResForm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace korvex;
using rooms::RoomUserList;
using session::RoomIcon;

namespace {

struct Placed {
    RoomIcon icon;
    int x, y;
};

// One line drawn by the delegate on white.
QImage drawLine(const RoomUserList& users, int width = 240) {
    QImage image(width, rooms::RoomUserDelegate::LineHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    rooms::RoomUserDelegate delegate(&users);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.font = QFont();
    QPainter p(&image);
    delegate.paint(&p, option, users.index(0));
    return image;
}

bool isWhite(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    return true;
}

} // namespace

TEST(RoomUserLine, DrawsTheStatePicturesOfTheResourceWindowAndTheNameAfterThem) {
    session::TResForm res;
    ASSERT_EQ(session::ResForm, &res);
    struct Case {
        const char* what;
        QByteArray type, flags, hand;
        std::function<void(RoomUserList&)> change;
        QList<Placed> pictures;
        int nameX;
    };
    const Case cases[] = {
        {"no restriction, no state", "0", "0000", "0", {}, {{RoomIcon::TextON, 0, 2}}, 17},
        {"no text, publishing a cam",
         "0",
         "1000",
         "0",
         [](RoomUserList& l) { l.SetCamFlag("Bob", true); },
         {{RoomIcon::TextOff, 0, 2}, {RoomIcon::VideoON, 9, 2}},
         26},
        {"no video, holding the mic and talking",
         "0",
         "0100",
         "0",
         [](RoomUserList& l) {
             l.SetMicHolder("Bob");
             l.MarkSpeakerTalking();
         },
         {{RoomIcon::TextOff, 0, 2}, {RoomIcon::VideoOFF, 9, 2}, {RoomIcon::Mic, 25, 2}},
         42},
        {"holding the mic, silent",
         "0",
         "0000",
         "0",
         [](RoomUserList& l) { l.SetMicHolder("Bob"); },
         {{RoomIcon::TextON, 0, 2}, {RoomIcon::VoiceON, 9, 2}},
         26},
        {"hand raised", "0", "0000", "1", {}, {{RoomIcon::TextON, 0, 2}, {RoomIcon::HandImg, 9, 0}}, 26},
        {"no voice", "3", "0010", "0", {}, {{RoomIcon::TextOff, 0, 2}, {RoomIcon::VoiceOFF, 9, 2}}, 26},
    };
    for (const Case& c : cases) {
        RoomUserList users;
        users.AddRoomUser("Bob", "0", c.type, c.flags, c.hand, "0", "0");
        if (c.change) c.change(users);
        const QImage drawn = drawLine(users);

        QImage expected(drawn.size(), drawn.format());
        expected.fill(Qt::white);
        QPainter p(&expected);
        for (const Placed& placed : c.pictures)
            p.drawPixmap(QRect(placed.x, placed.y, 16, 16), res.Picture(placed.icon));
        p.end();
        const QRect pictures(0, 0, c.nameX, drawn.height());
        EXPECT_EQ(drawn.copy(pictures), expected.copy(pictures)) << c.what;
        const QRect name(c.nameX, 0, drawn.width() - c.nameX, drawn.height());
        EXPECT_FALSE(isWhite(drawn, name)) << c.what << ": no name drawn";
    }
}

TEST(RoomUserLine, NameTakesTheColourOfItsType) {
    RoomUserList users;
    users.AddRoomUser("Admin", "0", "3", "0000", "0", "0", "0");
    const QImage drawn = drawLine(users);
    int red = 0, other = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 17; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            if (c == Qt::white) continue;
            (c.red() > 200 && c.green() < 80 && c.blue() < 80 ? red : other)++;
        }
    EXPECT_GT(red, 10);
}

TEST(RoomUserLine, PicturesAreSharpOnDenseScreens) {
    for (RoomIcon icon : {RoomIcon::TextON, RoomIcon::Mic, RoomIcon::HandImg}) {
        const QPixmap pm = session::TResForm::DrawRoomIcon(icon, 2.0);
        EXPECT_EQ(pm.size(), QSize(32, 32));
        EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(16, 16));
    }
}

namespace {

class SmilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        session::InstallDialogService(&dialogs);
        ASSERT_TRUE(QDir().mkpath(folder()));
    }
    void TearDown() override { session::InstallDialogService(nullptr); }
    QString folder() const { return home.filePath("WebPages/Images"); }
    void copy(const char* shipped, const QString& as) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVEX_SOURCE_DATA_DIR "/WebPages/Images/") + shipped,
                                folder() + "/" + as));
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(folder() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    QTemporaryDir home;
    session::ScriptedDialogs dialogs;
};

} // namespace

TEST_F(SmilePanelTest, LoadsThePicturesWithTheirTipsAndReportsThoseThatDoNotLoad) {
    copy("Smile1.gif", "Smile1.gif");
    write("Smile1.dat", ":)\r\nSmile\r\n");
    copy("Smile3.gif", "smile7.GIF"); // found whatever the case of its name; no tool-tip file
    write("Smile9.gif", "not a picture");
    write("Smile9.dat", ":x\r\nBroken\r\n");
    copy("Smile3.gif", "Smile12.gif");
    write("Smile12.dat", ":(\r\nSad\r\n");
    copy("Smile3.gif", "Smile134.gif"); // beyond the panel's pictures
    const contacts::SmileyTable table(folder(), "web.example");

    rooms::SmilePanel panel;
    panel.Fill(folder(), table);

    EXPECT_EQ(panel.Numbers(), QList<int>({1, 7, 12}));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].kind, session::DialogKind::Error);
    const QString prefix = "Could load smily file " + folder() + "/Smile9.gif- Error: ";
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(prefix)) << dialogs.shown[0].text.toStdString();
    EXPECT_GT(dialogs.shown[0].text.size(), prefix.size()); // the reader's reason follows

    EXPECT_EQ(panel.Picture(1)->toolTip(), "Smile");
    EXPECT_EQ(panel.Picture(12)->toolTip(), "Sad");
    EXPECT_EQ(panel.Picture(7)->toolTip(), "");
    EXPECT_FALSE(panel.Picture(1)->pixmap().isNull());
    // Without a tool-tip file picture 7 does not advance the row, so picture 12 takes the same place.
    EXPECT_EQ(panel.Picture(12)->pos(), panel.Picture(7)->pos());
    EXPECT_NE(panel.Picture(1)->pos(), panel.Picture(7)->pos());
    EXPECT_TRUE(panel.rect().contains(panel.Picture(12)->geometry()));

    QSignalSpy clicked(&panel, &rooms::SmilePanel::SmileClicked);
    panel.show();
    click(panel.Picture(1));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
}

TEST_F(SmilePanelTest, TheSmileyButtonShowsThePanelAndAClickTypesTheCode) {
    for (const char* name : {"Smile1", "Smile3", "Smile4"}) {
        copy(QByteArray(name).append(".gif").constData(), QString(name) + ".gif");
        copy(QByteArray(name).append(".dat").constData(), QString(name) + ".dat");
    }
    copy("Smile3.gif", "Smile40.gif"); // no code in any table: typed as its number
    session::TDM dm;
    dm.AppDir = home.path() + "/";
    rooms::TChatForm form(dm, "Lounge", "Lobby");
    form.resize(800, 600);
    form.show();
    rooms::SmilePanel* panel = form.SmilePanelWidget();
    auto* button = form.findChild<QPushButton*>("SmileButton");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(panel->isVisible());

    click(button);
    ASSERT_TRUE(panel->isVisible());
    // Above the bar of the smiley button, left of the user list, inside the window.
    const QWidget* users = form.findChild<QWidget*>("VTS");
    EXPECT_LE(panel->geometry().bottom(), button->mapTo(&form, QPoint(0, 0)).y());
    EXPECT_LE(panel->geometry().right(), users->mapTo(&form, QPoint(0, 0)).x());
    EXPECT_TRUE(form.rect().contains(panel->geometry()));
    click(button);
    EXPECT_FALSE(panel->isVisible());

    form.SetSendBoxText("hi ");
    click(button);
    click(panel->Picture(3));
    EXPECT_FALSE(panel->isVisible());
    click(button);
    click(panel->Picture(40));
    EXPECT_EQ(form.SendBoxText(), "hi :-)|40|");
}
