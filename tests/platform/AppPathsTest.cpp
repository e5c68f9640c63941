#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using korvex::platform::AppPaths;

namespace {
void touch(const QString& path, const QByteArray& text = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}
} // namespace

TEST(AppPaths, CanonicalSpellings) {
    const std::pair<QString, QString> cases[] = {
        {"data/opt.dat", "Data/opt.dat"},
        {"Data\\user.dbf", "Data/user.dbf"},
        {"DATA/LANG/english.txt", "Data/Lang/english.txt"},
        {"webpages/images/1.gif", "WebPages/Images/1.gif"},
        {"received files/a.txt", "Received Files/a.txt"},
        {"korvex.ini", "korvex.ini"},
        {"data", "Data"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(AppPaths::Canonical(in), out) << in.toStdString();
}

TEST(AppPaths, ExistingFilesFoundWhateverTheCaseNewOnesCanonical) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    touch(root + "data/OPT.DAT");
    EXPECT_EQ(AppPaths::PathIn(root, "Data/opt.dat"), root + "data/OPT.DAT");
    EXPECT_EQ(AppPaths::PathIn(root, "data/font.dat"),
              root + "data/font.dat"); // folder as found, file canonical
    EXPECT_EQ(AppPaths::PathIn(root, "WebPages/images/x.gif"), root + "WebPages/Images/x.gif");
    EXPECT_EQ(AppPaths::PathIn(root, "Data/Lang/"), root + "data/Lang/");
    EXPECT_EQ(AppPaths::PathIn(root, "../etc/passwd"), root + "etc/passwd");
}

TEST(AppPaths, ChoosesHomeThenPortableThenXdg) {
    QTemporaryDir exe, xdg;
    EXPECT_EQ(AppPaths::ResolveAppDir("/srv/k", exe.path(), xdg.path()), "/srv/k/");
    EXPECT_EQ(AppPaths::ResolveAppDir("", exe.path(), xdg.path()), xdg.path() + "/korvex/");
    QDir(exe.path()).mkdir("data");
    EXPECT_EQ(AppPaths::ResolveAppDir("", exe.path(), xdg.path()), exe.path() + "/");
}

TEST(AppPaths, FirstStartCopiesOnlyMissingDefaultsAndMakesThemWritable) {
    QTemporaryDir defaults, app;
    touch(defaults.path() + "/Data/Lang/english.txt", "default");
    touch(defaults.path() + "/Data/addr.dat", "default");
    QFile::setPermissions(defaults.path() + "/Data/addr.dat", QFile::ReadOwner);
    touch(app.path() + "/data/ADDR.DAT", "mine");
    const QStringList copied = AppPaths::CopyDefaults(defaults.path(), app.path());
    EXPECT_EQ(copied, QStringList{"Data/Lang/english.txt"});
    QFile mine(app.path() + "/data/ADDR.DAT");
    mine.open(QIODevice::ReadOnly);
    EXPECT_EQ(mine.readAll(), "mine");
    EXPECT_TRUE(QFileInfo(app.path() + "/data/Lang/english.txt").isWritable());
}
