#pragma once

#include <QString>
#include <QStringList>

namespace korvex::platform {

// The program folder and every path below it. Paths are built with "/" and one spelling per folder ("Data",
// "WebPages/Images", "Favorites", "Received Files", "temp", ...); an existing file or folder is found
// whatever the case of its name, so files copied from elsewhere ("data/OPT.DAT") are still used.
class AppPaths {
public:
    // The folder in use, with a trailing "/". Empty until set.
    static QString AppDir();
    static void SetAppDir(const QString& dir);

    // Chooses the folder: KORVEX_HOME when set; the executable's folder when it holds a writable "Data"
    // folder (a portable install); otherwise $XDG_DATA_HOME/korvex (~/.local/share/korvex).
    static QString ResolveAppDir(const QString& korvexHome, const QString& exeDir,
                                 const QString& xdgDataHome);

    // The path for a relative name: an existing entry matched ignoring case when there is one, else the
    // canonical spelling under AppDir (missing folders are not created).
    static QString Path(const QString& relative);
    // Same, below a given root.
    static QString PathIn(const QString& root, const QString& relative);
    // The canonical spelling of a relative path ("data/lang/x.txt" -> "Data/Lang/x.txt").
    static QString Canonical(const QString& relative);

    // Creates a folder below AppDir (canonical spelling) unless one exists under any case; returns its path.
    static QString EnsureFolder(const QString& relative);

    // Copies every file of defaultsDir into appDir that appDir does not hold yet (names compared ignoring
    // case), recursively, and makes the copies writable by the user. Returns the relative paths copied.
    static QStringList CopyDefaults(const QString& defaultsDir, const QString& appDir);
};

} // namespace korvex::platform
