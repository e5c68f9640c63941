#include "contacts/PictureQueue.h"

#include "platform/Timer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

namespace korvex::contacts {

namespace {
bool isPictureReference(const QByteArray& lower) {
    return lower.contains("gif") || lower.contains("bmp") || lower.contains("jpg");
}
bool isHttp(const QByteArray& lower) {
    return lower.startsWith("http://") || lower.startsWith("https://");
}
} // namespace

PictureQueue::PictureQueue(const QString& smileyDir, const QString& cacheDir, const QByteArray& webHost,
                           QObject* parent)
    : QObject(parent), m_smileyDir(smileyDir), m_cacheDir(cacheDir), m_webHost(webHost),
      m_queueTimer(new platform::Timer(QueueIntervalMs, this)),
      m_watchdog(new platform::Timer(DownloadTimeoutMs, this)) {
    m_queueTimer->SetSingleShot(true);
    m_watchdog->SetSingleShot(true);
    connect(m_queueTimer, &platform::Timer::OnTimer, this, &PictureQueue::serveFirst);
    connect(m_watchdog, &platform::Timer::OnTimer, this, [this] {
        if (m_reply) {
            QNetworkReply* r = m_reply;
            m_reply = nullptr;
            r->disconnect(this);
            r->abort();
            r->deleteLater();
        }
        finishFirst();
    });
}

PictureQueue::~PictureQueue() {
    if (m_reply) m_reply->abort();
}

QString PictureQueue::FileNameOf(const QByteArray& url) {
    QByteArray u = url;
    u.replace('\\', '/');
    const qsizetype q = u.indexOf('?');
    if (q >= 0) u.truncate(q);
    return QString::fromLatin1(u.mid(u.lastIndexOf('/') + 1));
}

QString PictureQueue::CachePath(const QByteArray& address) const {
    return QDir(m_cacheDir)
        .filePath(QString::fromLatin1(QCryptographicHash::hash(address, QCryptographicHash::Sha256).toHex()));
}

QImage PictureQueue::smiley(const QString& fileName) const {
    if (fileName.isEmpty() || fileName == "." || fileName == "..") return {};
    const QString key = fileName.toLower();
    if (const auto known = m_smileyImages.constFind(key); known != m_smileyImages.cend()) return *known;
    if (!m_smileysListed) {
        m_smileysListed = true;
        for (const QString& entry : QDir(m_smileyDir).entryList(QDir::Files))
            m_smileyFiles.insert(entry.toLower(), entry);
    }
    const QString entry = m_smileyFiles.value(key);
    if (entry.isEmpty()) return {}; // names that are not smileys are not remembered: peers choose them
    const QImage image(QDir(m_smileyDir).filePath(entry));
    m_smileyImages.insert(key, image);
    return image;
}

QImage PictureQueue::cached(const QByteArray& address) const {
    const QString path = CachePath(address);
    return QFile::exists(path) ? QImage(path) : QImage();
}

QVariant PictureQueue::Request(const QUrl& url) {
    const QByteArray ref = url.toEncoded();
    const QByteArray lower = ref.toLower();
    if (isHttp(lower) && isPictureReference(lower)) {
        QImage image = smiley(FileNameOf(ref));
        if (image.isNull()) image = cached(ref);
        if (!image.isNull()) return image;
        enqueue(ref, ref);
    } else if (lower.startsWith("file:///") && isPictureReference(lower)) {
        enqueue(ref, ref);
    } else {
        enqueue(ref, "http://" + m_webHost + "/images/none.gif");
    }
    return {};
}

void PictureQueue::enqueue(const QByteArray& src, const QByteArray& url) {
    // The view asks again at every layout; one row per picture is enough.
    if (m_seen.contains(src)) return;
    m_seen.insert(src);
    m_rows.append({src, url});
    if (m_rows.size() == 1) m_queueTimer->SetEnabled(true);
}

void PictureQueue::finishFirst() {
    if (!m_rows.isEmpty()) m_rows.removeFirst();
    if (!m_rows.isEmpty()) m_queueTimer->SetEnabled(true);
}

void PictureQueue::serveFirst() {
    if (m_rows.isEmpty() || m_reply) return;
    const Row row = m_rows.first();
    const QImage local = smiley(FileNameOf(row.url));
    if (!local.isNull()) {
        emit Ready(QUrl::fromEncoded(row.src), local);
        finishFirst();
        return;
    }
    const QByteArray lower = row.url.toLower();
    if (!isHttp(lower)) {
        finishFirst();
        return;
    }
    const QImage inCache = cached(row.url);
    if (!inCache.isNull()) {
        emit Ready(QUrl::fromEncoded(row.src), inCache);
        finishFirst();
        return;
    }
    if (!m_net) m_net = new QNetworkAccessManager(this);
    QNetworkRequest request(QUrl::fromEncoded(row.url));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    m_reply = m_net->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
        if (received > MaxDownloadBytes || total > MaxDownloadBytes) reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { downloadFinished(reply); });
    m_watchdog->SetEnabled(true);
}

void PictureQueue::downloadFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != m_reply) return;
    m_reply = nullptr;
    m_watchdog->SetEnabled(false);
    if (m_rows.isEmpty()) return;
    const Row row = m_rows.first();
    const QByteArray bytes =
        reply->error() == QNetworkReply::NoError ? reply->read(MaxDownloadBytes + 1) : QByteArray();
    QImage image;
    if (!bytes.isEmpty() && bytes.size() <= MaxDownloadBytes) image = QImage::fromData(bytes);
    if (!image.isNull() && QDir().mkpath(m_cacheDir)) {
        QSaveFile file(CachePath(row.url));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) file.commit();
        emit Ready(QUrl::fromEncoded(row.src), image);
    }
    finishFirst();
}

} // namespace korvex::contacts
