#include "SessionFixture.h"
#include "formats/IniFile.h"
#include "net/Command.h"
#include "net/Envelope.h"
#include "net/TBBClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace korvex;

TEST_F(SessionTest, FirstStartCreatesFoldersAndDefaultFiles) {
    StartDataModule("korvex.example\r\nchat.korvex.example\r\n7000\r\n");
    for (const char* folder :
         {"Data", "WebPages/Images", "Favorites", "Data/Sound", "Data/History", "Data/Lang"})
        EXPECT_TRUE(QFileInfo(home.filePath(folder)).isDir()) << folder;
    EXPECT_EQ(ReadAppFile("Data/opt.dat"), "\r\n1\r\n");
    EXPECT_FALSE(dm->HighSpeed); // stays off in the run that created opt.dat
    EXPECT_EQ(ReadAppFile("Data/font.dat"), "english\r\n1\r\nTahoma\r\n8\r\n8\r\n8\r\n10\r\n");
    const QByteArray skin = ReadAppFile("Data/def.skn");
    ASSERT_EQ(skin.size(), 260);
    EXPECT_EQ(skin[56], 2);
    EXPECT_EQ(skin.mid(57, 4), QByteArray(4, '\1'));
    EXPECT_EQ(ReadAppFile("Data/msg.html"), "<HTML><BODY bgcolor=\"#FFFFF0\" topmargin=\"0\">\r\n");
    EXPECT_EQ(ReadAppFile("Data/chat.html"), ReadAppFile("Data/msg.html"));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("Data/user.dbf")));
    formats::IniFile ini(home.filePath("korvex.ini"));
    EXPECT_TRUE(ini.ReadBool("CONFIG", "StartWithWindows", false));
    EXPECT_TRUE(ini.ReadBool("Config", "AutoLogin", false)); // written back with the default on
    EXPECT_TRUE(QFileInfo::exists(home.filePath("autostart/korvex.desktop")));
    EXPECT_EQ(dm->WebHost, "korvex.example");
    EXPECT_EQ(dm->ChatHost, "chat.korvex.example");
    EXPECT_EQ(dm->ChatPort, 7000);
    EXPECT_EQ(dm->EchoPresetName, "Reverb.Distance Echo");
    EXPECT_EQ(dm->Lang(17), "The nickname must be at least 3 characters long.");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(SessionTest, AddressFileVariants) {
    dm->DataModuleCreate(); // no addr.dat
    EXPECT_EQ(dialogs.Texts(), QStringList{"Please Create file \"addr.dat\""});

    StartDataModule("web.example\r\n\r\n5000\r\n");
    EXPECT_EQ(dm->WebHost, "web.example");
    EXPECT_TRUE(dm->ChatHost.isEmpty());
    EXPECT_EQ(dm->ChatPort, 5000);

    StartDataModule("w\r\nc\r\n12345678901\r\n");
    EXPECT_EQ(dm->ChatPort, 0);
}

TEST_F(SessionTest, ExistingFilesAreFoundWhateverTheCaseOfTheirNames) {
    QDir().rename(home.filePath("Data"), home.filePath("data"));
    WriteAppFile("data/OPT.DAT", "\r\n1\r\n0\r\n");
    WriteAppFile("data/Font.Dat", "english\r\nx\r\nArial\r\n9\r\n10\r\n11\r\n12\r\n");
    StartDataModule("w\r\nc\r\n1\r\n");
    EXPECT_FALSE(dm->HighSpeed);
    EXPECT_EQ(dm->FontCharset, 1); // not a number: the default
    EXPECT_EQ(dm->FontName, "Arial");
    EXPECT_EQ(dm->LabelFontSize, 9);
    EXPECT_EQ(dm->ButtonFontSize, 10);
    EXPECT_EQ(dm->EditFontSize, 11);
    EXPECT_EQ(dm->TitleFontSize, 12);
    // One data folder, spelled as found; no second "Data" beside it, no fresh opt.dat.
    EXPECT_EQ(QDir(home.path()).entryList({"data"}, QDir::Dirs), QStringList{"data"});
    EXPECT_FALSE(QFileInfo::exists(home.filePath("data/opt.dat")));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("data/user.dbf")));
}

TEST_F(SessionTest, OptionLinesAndShortFiles) {
    WriteAppFile("Data/opt.dat", "x\r\n");
    StartDataModule("w\r\nc\r\n1\r\n");
    EXPECT_TRUE(dm->HighSpeed); // fewer than three lines
    dm->WriteOptLine(2, "0");
    EXPECT_EQ(ReadAppFile("Data/opt.dat"), "x\r\n\r\n0\r\n");
}

TEST_F(SessionTest, LanguageFiles) {
    StartDataModule("w\r\nc\r\n1\r\n");
    WriteAppFile("Data/Lang/tiny.txt", "zero\r\none\r\ntwo\r\n");
    dm->LoadLanguage("TINY");
    EXPECT_EQ(dm->Lang(0), "zero");
    EXPECT_EQ(dm->Lang(2), "two");
    EXPECT_EQ(dm->Lang(3), "");
    EXPECT_EQ(dm->Lang(17), ""); // cleared before loading

    QByteArray big;
    for (int i = 0; i < 1100; ++i)
        big += "line" + QByteArray::number(i) + "\r\n";
    WriteAppFile("Data/Lang/big.txt", big);
    dm->LoadLanguage("big");
    EXPECT_EQ(dm->Messages.size(), 1024);
    EXPECT_EQ(dm->Lang(1023), "line1023");

    dm->Language = "big";
    dm->LoadLanguage("missing");
    EXPECT_EQ(dm->Language, "english");
    EXPECT_EQ(dm->Lang(5), "line5"); // the table keeps its entries
    dm->LoadLanguage("../../etc/passwd");
    EXPECT_EQ(dm->Lang(5), "line5");

    EXPECT_EQ(dm->DetectLanguage("German"), "english");
    EXPECT_EQ(dm->DetectLanguage("English (United States)"), "english");
    WriteAppFile("Data/Lang/arabic.txt", "x");
    EXPECT_EQ(dm->DetectLanguage("Arabic"), "arabic");
}

TEST_F(SessionTest, PageFilesTakeTheEditColour) {
    WriteAppFile("Data/smile.html", "<HTML>\r\n<BODY>\r\nsmileys\r\n");
    WriteAppFile("Data/3.html", "<HTML>"); // a single line must not stop the start
    WriteAppFile("Data/def.skn", QByteArray(20, '\0') + QByteArray("\x10\x20\x30\x00", 4));
    StartDataModule("w\r\nc\r\n1\r\n");
    EXPECT_EQ(dm->EditColorHtml, "#102030");
    EXPECT_EQ(ReadAppFile("Data/smile.html"),
              "<HTML>\r\n<BODY bgcolor=\"#102030\" topmargin=\"0\">\r\nsmileys\r\n");
    EXPECT_EQ(ReadAppFile("Data/3.html"), "<HTML>\r\n<BODY bgcolor=\"#102030\" topmargin=\"0\">\r\n");
}

TEST_F(SessionTest, CountryTableFromTheShippedFile) {
    QFile::copy(KORVEX_SOURCE_DATA_DIR "/Data/country.dat", home.filePath("Data/country.dat"));
    StartDataModule("w\r\nc\r\n1\r\n");
    EXPECT_GT(dm->CountryTable.RecordCount(), 200);
    const int row = dm->CountryTable.Find("name", "germany", Qt::CaseInsensitive);
    ASSERT_GE(row, 0);
    EXPECT_EQ(dm->CountryTable.ValueAt(row, "N"), "276");
}

TEST_F(SessionTest, SavedAccounts) {
    StartDataModule("w\r\nc\r\n1\r\n");
    dm->SaveAccount("Alice", "secret1", "Alice@Korvex.Chat");
    dm->SaveAccount(" alice ", "changed", "other@x");
    dm->SaveAccount("bob", "", "bob@korvex.chat");
    const auto accounts = dm->Accounts();
    ASSERT_EQ(accounts.size(), 2);
    EXPECT_EQ(accounts[0].name, "Alice");
    EXPECT_EQ(accounts[0].pass, "changed");
    EXPECT_EQ(accounts[0].email, "alice@korvex.chat");
    EXPECT_TRUE(dm->FindAccount("Alice"));
    EXPECT_FALSE(dm->FindAccount("alice")); // the logon window looks up exactly
}

TEST_F(SessionTest, CodecTableAndExtraBuffer) {
    dm->LoadCodecInfo("gsm2,3000\r\nspeex_wb,oops\r\nPLAIN");
    EXPECT_EQ(dm->GetCodecBufferSize("GSM2"), 3000);
    EXPECT_EQ(dm->GetCodecBufferSize("Speex_WB"), 4096);
    EXPECT_EQ(dm->GetCodecBufferSize("PLAIN"), 0);
    EXPECT_EQ(dm->GetCodecBufferSize("UNKNOWN"), 2500);
    dm->Arguments = {"korvex", "extrabuffer=500"};
    EXPECT_EQ(dm->GetCodecBufferSize("UNKNOWN"), 3000);
    dm->Arguments = {"korvex", "EXTRABUFFER=x"};
    EXPECT_EQ(dm->GetCodecBufferSize("UNKNOWN"), 2500);
}

TEST_F(SessionTest, MessagesRaisedByAFrameAreShownAfterIt) {
    StartDataModule("w\r\nc\r\n1\r\n");
    const QByteArray text = net::MakeCommand("TechMsg", {"first"}) + net::MakeCommand("Unknown", {"x"}) +
                            net::MakeCommand("RCurrentVersion", {"3", "26"});
    dm->MainClientRead(net::EncodeCommandRaw(text));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(), (QStringList{"first", "Current Version: 3,26"}));
}

TEST_F(SessionTest, ForcedLogOffEndsThroughQuit) {
    StartDataModule("w\r\nc\r\n1\r\n");
    dm->MainClientRead(net::EncodeCommandRaw(net::MakeCommand("AlreadyLogin")));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(),
              QStringList{"You have been logged off as you have logged in from another location"});
    EXPECT_EQ(closed, 0);
    Advance(1000);
    EXPECT_EQ(closed, 1);

    dm->CheckConnectTimer->SetEnabled(true);
    dm->ChatFormTable.Append({{"FormName", "chat7"}, {"Name", "Lobby"}});
    QByteArray closedRoom;
    dm->CloseRoomWindow = [&](const QByteArray& form) { closedRoom = form; };
    dm->MainClientRead(net::EncodeCommandRaw(net::MakeCommand("CloseUser", {"Closed by the administrator"})));
    QCoreApplication::processEvents();
    EXPECT_FALSE(dm->CheckConnectTimer->Enabled());
    EXPECT_EQ(closedRoom, "chat7");
    EXPECT_EQ(dialogs.Texts().last(), "Closed by the administrator");
    Advance(1000);
    EXPECT_EQ(closed, 2);
}
