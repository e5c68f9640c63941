#pragma once

#include "Config.h"

#include <QByteArray>
#include <QDateTime>
#include <QThreadPool>

namespace korvex::server {

struct Invitation {
    QByteArray fromNick;
    QByteArray fromName;  // may be empty
    QByteArray fromEmail; // may be empty; becomes Reply-To
    QByteArray friendName;
    QByteArray friendEmail;
};

// Sends invitation e-mails through the configured SMTP relay (libcurl, on a worker thread so a slow relay
// never stalls the chat). Without a relay the invitation is only logged.
class Mailer {
public:
    explicit Mailer(const ServerConfig& config);
    ~Mailer();

    void Send(const Invitation& invitation);
    // Blocks until every queued mail is handed over or has failed (shutdown, tests).
    void WaitForIdle();

    // The whole message, headers and body, CR LF line ends; wire text is windows-1252, mail is UTF-8.
    static QByteArray Compose(const ServerConfig& config, const Invitation& invitation, const QDateTime& now);
    static QByteArray SenderAddress(const ServerConfig& config);

private:
    const ServerConfig& m_config;
    QThreadPool m_pool;
};

} // namespace korvex::server
