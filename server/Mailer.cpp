#include "Mailer.h"

#include "Log.h"

#include <QStringDecoder>

#include <curl/curl.h>

#include <cstring>

namespace korvex::server {

namespace {

QString fromWire(const QByteArray& text) {
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? decoder.decode(text) : QString::fromLatin1(text);
}

// RFC 2047 encoded word for a display name or subject (never contains CR or LF).
QByteArray encodedWord(const QString& text) {
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

struct Upload {
    QByteArray data;
    qsizetype pos = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* up = static_cast<Upload*>(user);
    const size_t n = std::min(size * count, size_t(up->data.size() - up->pos));
    std::memcpy(buffer, up->data.constData() + up->pos, n);
    up->pos += qsizetype(n);
    return n;
}

QString sendWithCurl(const ServerConfig& config, const QByteArray& from, const QByteArray& to, const QByteArray& message) {
    CURL* curl = curl_easy_init();
    if (!curl) return QStringLiteral("libcurl could not be initialised");
    Upload upload{message, 0};
    curl_slist* recipients = curl_slist_append(nullptr, ("<" + to + ">").constData());
    const QByteArray fromAngle = "<" + from + ">";
    curl_easy_setopt(curl, CURLOPT_URL, config.smtpUrl.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, fromAngle.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!config.smtpUser.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, config.smtpUser.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, config.smtpPassword.constData());
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    }
    const CURLcode rc = curl_easy_perform(curl);
    QString error = rc == CURLE_OK ? QString() : QString::fromLatin1(curl_easy_strerror(rc));
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    return error;
}

} // namespace

Mailer::Mailer(const ServerConfig& config) : m_config(config) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_pool.setMaxThreadCount(1);
}

Mailer::~Mailer() {
    m_pool.waitForDone();
    curl_global_cleanup();
}

void Mailer::WaitForIdle() { m_pool.waitForDone(); }

QByteArray Mailer::SenderAddress(const ServerConfig& config) {
    return config.smtpFrom.isEmpty() ? "invitations@" + config.mailDomain : config.smtpFrom;
}

QByteArray Mailer::Compose(const ServerConfig& config, const Invitation& inv, const QDateTime& now) {
    const QString who = inv.fromName.isEmpty() ? fromWire(inv.fromNick) : fromWire(inv.fromName);
    const QString friendName = inv.friendName.isEmpty() ? QStringLiteral("Hello") : fromWire(inv.friendName);
    QByteArray m;
    m += "Date: " + now.toUTC().toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    m += "From: " + encodedWord(QStringLiteral("Korvex")) + " <" + SenderAddress(config) + ">\r\n";
    if (!inv.fromEmail.isEmpty()) m += "Reply-To: <" + inv.fromEmail + ">\r\n";
    m += "To: " + encodedWord(fromWire(inv.friendName)) + " <" + inv.friendEmail + ">\r\n";
    m += "Subject: " + encodedWord(who + QStringLiteral(" invites you to Korvex")) + "\r\n";
    m += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    QString body = friendName + QStringLiteral(",\n\n") + who +
                   QStringLiteral(" (nickname %1) invites you to talk on Korvex, a voice and text chat.\n\n")
                       .arg(fromWire(inv.fromNick)) +
                   QStringLiteral("Get the program here:\n%1\n").arg(fromWire(config.downloadAddress));
    body.replace('\n', QStringLiteral("\r\n"));
    // SMTP treats a line holding a single dot as the end of the message.
    QByteArray utf8 = body.toUtf8();
    utf8.replace("\r\n.", "\r\n..");
    m += utf8;
    return m;
}

void Mailer::Send(const Invitation& inv) {
    const QByteArray message = Compose(m_config, inv, QDateTime::currentDateTimeUtc());
    if (m_config.smtpUrl.isEmpty()) {
        LogLine(QStringLiteral("invitation from %1 to %2 not mailed (no SMTP relay configured)")
                    .arg(QString::fromLatin1(inv.fromNick), QString::fromLatin1(inv.friendEmail)));
        return;
    }
    const ServerConfig config = m_config;
    const QByteArray from = SenderAddress(m_config);
    const QByteArray to = inv.friendEmail;
    const QByteArray nick = inv.fromNick;
    m_pool.start([config, from, to, nick, message] {
        const QString error = sendWithCurl(config, from, to, message);
        if (error.isEmpty())
            LogLine(QStringLiteral("invitation from %1 mailed to %2").arg(QString::fromLatin1(nick), QString::fromLatin1(to)));
        else
            LogLine(QStringLiteral("invitation from %1 to %2 failed: %3")
                        .arg(QString::fromLatin1(nick), QString::fromLatin1(to), error));
    });
}

} // namespace korvex::server
