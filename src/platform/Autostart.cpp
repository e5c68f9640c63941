#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace korvex::platform {

QString AutostartDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart";
}

void SetStartWithWindows(bool enabled, const QString& executable, const QString& autostartDir) {
    const QDir dir(autostartDir.isEmpty() ? AutostartDir() : autostartDir);
    QFile::remove(dir.filePath("Korvex v3.13.desktop"));
    QFile::remove(dir.filePath("korvex v3.13.desktop"));
    const QString entry = dir.filePath("korvex.desktop");
    if (!enabled) {
        QFile::remove(entry);
        return;
    }
    // Exec takes a quoted path so folders with blanks work.
    QString quoted = executable;
    quoted.replace('\\', "\\\\").replace('"', "\\\"").replace('`', "\\`").replace('$', "\\$");
    const QByteArray exec = "Exec=\"" + quoted.toUtf8() + "\"";
    QFile current(entry);
    if (current.open(QIODevice::ReadOnly) && current.readAll().contains(exec + "\n")) return;
    QDir().mkpath(dir.path());
    QSaveFile out(entry);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write("[Desktop Entry]\nType=Application\nName=Korvex\n" + exec +
              "\nX-GNOME-Autostart-enabled=true\n");
    out.commit();
}

} // namespace korvex::platform
