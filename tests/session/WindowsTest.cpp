#include "SessionFixture.h"
#include "platform/SingleInstance.h"
#include "session/DesktopAlert.h"
#include "session/Skin.h"
#include "session/TResForm.h"
#include "session/TSetupForm.h"
#include "session/TrayIcon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>

using namespace korvex;

TEST_F(SessionTest, SetupWindowSavesLanguageAndStartOption) {
    WriteAppFile("Data/Lang/german.txt", "null\r\neins\r\n");
    StartDataModule("w\r\nc\r\n1\r\n");
    auto* setup = new session::TSetupForm(*dm);
    setup->show();
    EXPECT_EQ(setup->LangBox->count(), 2);
    EXPECT_EQ(setup->LangBox->currentText(), "english");
    EXPECT_TRUE(setup->cbStartWin->isChecked());
    setup->LangBox->setCurrentIndex(setup->LangBox->findText("german"));
    setup->cbStartWin->setChecked(false);
    setup->SaveButClick();
    EXPECT_EQ(dm->Lang(1), "eins");
    EXPECT_TRUE(ReadAppFile("Data/font.dat").startsWith("german\r\n"));
    EXPECT_FALSE(dm->StartWithWindows);
    EXPECT_FALSE(QFile::exists(home.filePath("autostart/korvex.desktop")));
}

TEST_F(SessionTest, TrayMenuAndAlerts) {
    StartDataModule("w\r\nc\r\n1\r\n");
    session::TResForm res;
    session::TrayIcon tray(*dm);
    QStringList items;
    for (QAction* a : tray.MainPopup()->actions())
        if (!a->isSeparator()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Show", "Hide", "File Transfers...", "Exit"}));
    EXPECT_EQ(tray.Icon()->toolTip(), "Korvex 3.26");

    dialogs.answers = {false, true};
    tray.Close1Click();
    Advance(2000);
    EXPECT_EQ(closed, 0);
    tray.Close1Click();
    Advance(1000);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(dialogs.Texts().value(0), "Are you sure you want to exit?");

    emit dm->AlertRequested(2, "bob has just logged in");
    EXPECT_TRUE(tray.JvDesktopAlert2->isVisible());
    EXPECT_EQ(tray.JvDesktopAlert2->Text(), "bob has just logged in");
    Advance(9999);
    EXPECT_TRUE(tray.JvDesktopAlert2->isVisible());
    Advance(1);
    EXPECT_FALSE(tray.JvDesktopAlert2->isVisible());
}

TEST(Skin, FiveStylesGiveFiveLooks) {
    formats::SkinSettings skin;
    QStringList sheets;
    for (int style = 1; style <= 5; ++style) {
        skin.ButtonStyle = uint8_t(style);
        sheets << session::SkinStyleSheet(skin, "Tahoma", 8, 8, 8, 10);
    }
    sheets.removeDuplicates();
    EXPECT_EQ(sheets.size(), 5);
    skin.ButtonStyle = 9;
    EXPECT_EQ(session::SkinStyleSheet(skin, "Tahoma", 8, 8, 8, 10), sheets[2]); // DeepBlue
    EXPECT_TRUE(sheets[0].contains("#FFFFF0"));                                 // edit colour
}

TEST(Program, SecondInstanceEndsAtOnce) {
    QTemporaryDir runtime, home;
    platform::SingleInstance first("Velmora", runtime.path());
    ASSERT_TRUE(first.TryAcquire());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("KORVEX_HOME", home.filePath("k"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(KORVEX_CLIENT_EXE, {});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(QDir(home.filePath("k")).exists()); // ended before preparing anything
}
