#include "platform/WebAddress.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace korvex::platform {

bool IsOpenableAddress(const QString& address) {
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == "mailto") return !url.path().isEmpty();
    return (scheme == "http" || scheme == "https" || scheme == "ftp") && !url.host().isEmpty();
}

bool OpenWebAddress(const QString& address) {
    if (!IsOpenableAddress(address)) return false;
    return QDesktopServices::openUrl(QUrl(address.trimmed()));
}

QStringList RecordingMixerCommand() {
    const QString configured = qEnvironmentVariable("KORVEX_MIXER_COMMAND");
    if (!configured.isEmpty()) return QProcess::splitCommand(configured);
    if (!QStandardPaths::findExecutable("pavucontrol").isEmpty()) return {"pavucontrol", "--tab=4"};
    return {};
}

bool OpenRecordingMixer() {
    const QStringList cmd = RecordingMixerCommand();
    if (cmd.isEmpty()) return false;
    return QProcess::startDetached(cmd.first(), cmd.mid(1));
}

} // namespace korvex::platform
