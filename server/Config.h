#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvex::server {

// A voice codec the clients may use, with the playback prebuffer time they apply to it.
struct CodecEntry {
    QByteArray name;
    int prebufferMs = 2500;
};

// Everything an operator can set in the INI file. Defaults make a server usable on one machine.
struct ServerConfig {
    // [client]
    QByteArray newestVersion = "3.26";
    QByteArray downloadAddress = "http://127.0.0.1/korvex/download";
    // [codecs] NAME=prebuffer ms; GSM1 and GSM2 are always listed first
    QList<CodecEntry> codecs{{"GSM1", 2500}, {"GSM2", 2500}};

    // [server]
    QString listenAddress = "127.0.0.1";
    int port = 7000;
    int soundPort = 7001;
    int videoPort = 7002;
    int idleTimeoutSeconds = 90;
    QByteArray mailDomain = "korvex.local";

    // [smtp] relay for invitations; empty url = invitations are only logged
    QByteArray smtpUrl;
    QByteArray smtpFrom;
    QByteArray smtpUser;
    QByteArray smtpPassword;

    // [limits]
    qint64 maxFrameBytes = 2 * 1024 * 1024;
    qint64 maxOutputQueueBytes = 8 * 1024 * 1024;
    int maxSearchResults = 100;
    int maxInvitesPerDay = 10;
    int maxMessageBytes = 32 * 1024;
    int maxBlockListEntries = 500;
    int maxContacts = 500;
    // Failed logons from one address within FailedLogonWindowSeconds before further attempts are refused
    // unchecked (each check costs a password hash).
    int maxFailedLogons = 20;
    int failedLogonWindowSeconds = 600;

    // [security] "interactive" (default) or "minimal" (test beds and benchmarks only)
    bool minimalPasswordHashing = false;

    // The "RGetVersion" codec field: one "NAME,ms" line per codec joined by CR LF.
    QByteArray codecListText() const;
    bool hasCodec(const QByteArray& name) const;
};

// Reads the INI file; missing keys keep their defaults. Returns false with *error set when the file cannot be
// read or holds a value out of range (the server then refuses to start rather than run half-configured).
bool LoadConfig(const QString& path, ServerConfig& config, QString* error);

// Codec names end up as file names on the clients: letters, digits and "_" only, 1..15 characters.
bool IsValidCodecName(const QByteArray& name);

} // namespace korvex::server
