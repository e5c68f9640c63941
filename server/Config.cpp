#include "Config.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace korvex::server {

QByteArray ServerConfig::codecListText() const {
    QByteArray text;
    for (const auto& c : codecs) {
        if (!text.isEmpty()) text += "\r\n";
        text += c.name + ',' + QByteArray::number(c.prebufferMs);
    }
    return text;
}

bool ServerConfig::hasCodec(const QByteArray& name) const {
    return std::any_of(codecs.begin(), codecs.end(), [&](const CodecEntry& c) { return c.name == name; });
}

bool IsValidCodecName(const QByteArray& name) {
    if (name.isEmpty() || name.size() > 15) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

namespace {

// QSettings splits unquoted values at commas; join them back so "a,b" reads as written.
QString text(const QSettings& s, const char* key, const QString& fallback) {
    const QVariant v = s.value(key);
    if (!v.isValid()) return fallback;
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',');
    return v.toString();
}

bool number(const QSettings& s, const char* key, qint64 low, qint64 high, qint64& out, QString* error) {
    const QString t = text(s, key, QString());
    if (t.isEmpty()) return true;
    bool ok = false;
    const qint64 v = t.trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high) {
        if (error) *error = QStringLiteral("%1: expected a number from %2 to %3, found \"%4\"").arg(key).arg(low).arg(high).arg(t);
        return false;
    }
    out = v;
    return true;
}

template <typename T>
bool numberInto(const QSettings& s, const char* key, qint64 low, qint64 high, T& out, QString* error) {
    qint64 v = out;
    if (!number(s, key, low, high, v, error)) return false;
    out = T(v);
    return true;
}

} // namespace

bool LoadConfig(const QString& path, ServerConfig& config, QString* error) {
    if (!QFileInfo(path).isReadable()) {
        if (error) *error = QStringLiteral("cannot read the configuration file %1").arg(path);
        return false;
    }
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) {
        if (error) *error = QStringLiteral("%1 is not a readable INI file").arg(path);
        return false;
    }
    config.newestVersion = text(s, "client/Version", QString::fromLatin1(config.newestVersion)).toLatin1();
    config.downloadAddress = text(s, "client/DownloadAddress", QString::fromLatin1(config.downloadAddress)).toLatin1();

    s.beginGroup("codecs");
    const QStringList names = s.childKeys();
    s.endGroup();
    if (!names.isEmpty()) {
        QList<CodecEntry> codecs;
        for (const QString& n : names) {
            const QByteArray name = n.toLatin1();
            if (!IsValidCodecName(name)) {
                if (error) *error = QStringLiteral("codecs: invalid codec name \"%1\"").arg(n);
                return false;
            }
            CodecEntry entry{name, 2500};
            const QByteArray key = "codecs/" + name;
            if (!numberInto(s, key.constData(), 0, 60000, entry.prebufferMs, error)) return false;
            codecs << entry;
        }
        // The clients need GSM1 and GSM2 whatever else is offered (low-speed users always send GSM1).
        for (const char* required : {"GSM2", "GSM1"}) {
            auto it = std::find_if(codecs.begin(), codecs.end(), [&](const CodecEntry& c) { return c.name == required; });
            CodecEntry entry = it != codecs.end() ? *it : CodecEntry{required, 2500};
            if (it != codecs.end()) codecs.erase(it);
            codecs.prepend(entry);
        }
        config.codecs = codecs;
    }

    config.listenAddress = text(s, "server/Listen", config.listenAddress);
    if (!numberInto(s, "server/Port", 0, 65535, config.port, error) ||
        !numberInto(s, "server/SoundPort", 0, 65535, config.soundPort, error) ||
        !numberInto(s, "server/VideoPort", 0, 65535, config.videoPort, error) ||
        !numberInto(s, "server/IdleTimeoutSeconds", 60, 86400, config.idleTimeoutSeconds, error))
        return false;
    config.mailDomain = text(s, "server/MailDomain", QString::fromLatin1(config.mailDomain)).toLatin1();

    config.smtpUrl = text(s, "smtp/Url", QString()).toLatin1();
    config.smtpFrom = text(s, "smtp/From", QString()).toLatin1();
    config.smtpUser = text(s, "smtp/User", QString()).toLatin1();
    config.smtpPassword = text(s, "smtp/Password", QString()).toLatin1();

    if (!numberInto(s, "limits/MaxFrameBytes", 4096, 9'999'999, config.maxFrameBytes, error) ||
        !numberInto(s, "limits/MaxOutputQueueBytes", 65536, qint64(1) << 32, config.maxOutputQueueBytes, error) ||
        !numberInto(s, "limits/MaxSearchResults", 1, 10000, config.maxSearchResults, error) ||
        !numberInto(s, "limits/MaxInvitesPerDay", 0, 10000, config.maxInvitesPerDay, error) ||
        !numberInto(s, "limits/MaxMessageBytes", 256, 4 * 1024 * 1024, config.maxMessageBytes, error) ||
        !numberInto(s, "limits/MaxBlockListEntries", 0, 100000, config.maxBlockListEntries, error) ||
        !numberInto(s, "limits/MaxContacts", 0, 100000, config.maxContacts, error) ||
        !numberInto(s, "limits/MaxFailedLogons", 1, 100000, config.maxFailedLogons, error) ||
        !numberInto(s, "limits/FailedLogonWindowSeconds", 1, 86400, config.failedLogonWindowSeconds, error))
        return false;

    const QString cost = text(s, "security/PasswordHashCost", "interactive").trimmed().toLower();
    if (cost != "interactive" && cost != "minimal") {
        if (error) *error = QStringLiteral("security/PasswordHashCost: expected interactive or minimal");
        return false;
    }
    config.minimalPasswordHashing = cost == "minimal";
    return true;
}

} // namespace korvex::server
