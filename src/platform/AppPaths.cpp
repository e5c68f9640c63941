#include "platform/AppPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace korvex::platform {

namespace {
QString g_appDir;

// Folders whose spelling the program fixes; compared ignoring case, replaced by these spellings.
const QStringList& canonicalFolders() {
    static const QStringList folders = {
        "Data",      "Data/Lang", "Data/Sound",      "Data/History", "Data/Temp",      "Data/ini",
        "Data/mail", "WebPages",  "WebPages/Images", "Favorites",    "Received Files", "temp"};
    return folders;
}

QString withSlash(QString dir) {
    if (!dir.isEmpty() && !dir.endsWith('/')) dir += '/';
    return dir;
}

// The entry of dir whose name equals name ignoring case, preferring an exact match.
QString findEntry(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + name)) return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return e;
    return {};
}
} // namespace

QString AppPaths::AppDir() {
    return g_appDir;
}

void AppPaths::SetAppDir(const QString& dir) {
    g_appDir = withSlash(QDir::cleanPath(dir));
}

QString AppPaths::ResolveAppDir(const QString& korvexHome, const QString& exeDir,
                                const QString& xdgDataHome) {
    if (!korvexHome.isEmpty()) return withSlash(QDir::cleanPath(korvexHome));
    if (!exeDir.isEmpty()) {
        const QString base = withSlash(exeDir);
        const QString data = findEntry(base, "Data");
        if (!data.isEmpty()) {
            QFileInfo fi(base + data);
            if (fi.isDir() && fi.isWritable()) return withSlash(QDir::cleanPath(exeDir));
        }
    }
    QString xdg = xdgDataHome;
    if (xdg.isEmpty()) xdg = QDir::homePath() + "/.local/share";
    return withSlash(QDir::cleanPath(xdg + "/korvex"));
}

QString AppPaths::Canonical(const QString& relative) {
    QStringList parts = QString(relative).replace(QChar('\\'), QChar('/')).split('/', Qt::SkipEmptyParts);
    // Longest folder prefix first, so "data/lang" becomes "Data/Lang" and not only "Data/lang".
    for (int n = int(parts.size()) - 1; n >= 1; --n) {
        const QString prefix = parts.mid(0, n).join('/');
        for (const QString& folder : canonicalFolders())
            if (folder.compare(prefix, Qt::CaseInsensitive) == 0) {
                const QStringList fixed = folder.split('/');
                for (int i = 0; i < n; ++i)
                    parts[i] = fixed[i];
                return parts.join('/');
            }
    }
    if (parts.size() == 1)
        for (const QString& folder : canonicalFolders())
            if (folder.compare(parts[0], Qt::CaseInsensitive) == 0) return folder;
    return parts.join('/');
}

QString AppPaths::PathIn(const QString& root, const QString& relative) {
    const QStringList parts = Canonical(relative).split('/', Qt::SkipEmptyParts);
    QString path = withSlash(root);
    bool existing = true;
    for (const QString& part : parts) {
        // ".." would leave the folder; names come from our code, but never let one walk out.
        if (part == "..") continue;
        QString name = part;
        if (existing) {
            const QString found = findEntry(path, part);
            if (found.isEmpty())
                existing = false;
            else
                name = found;
        }
        path += name + '/';
    }
    path.chop(1);
    if (relative.endsWith('/') || relative.endsWith('\\')) path += '/';
    return path;
}

QString AppPaths::Path(const QString& relative) {
    return PathIn(g_appDir, relative);
}

QString AppPaths::EnsureFolder(const QString& relative) {
    const QString path = Path(relative);
    QDir().mkpath(path);
    return withSlash(path);
}

QStringList AppPaths::CopyDefaults(const QString& defaultsDir, const QString& appDir) {
    QStringList copied;
    const QString src = withSlash(QDir::cleanPath(defaultsDir));
    QDirIterator it(src, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString rel = file.mid(src.size());
        const QString target = PathIn(appDir, rel);
        if (QFileInfo::exists(target)) continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (QFile::copy(file, target)) {
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
            copied.append(rel);
        }
    }
    return copied;
}

} // namespace korvex::platform
