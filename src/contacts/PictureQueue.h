#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace korvex::platform {
class Timer;
}

namespace korvex::contacts {

// The pictures a message view asks for. Smileys come from the smiley folder by their last path component
// whatever folder a tag names; http and https pictures are downloaded into a cache folder of their own (file
// name = hash of the whole address, at most 1 MiB, bytes must be an image); nothing else is read. Requests
// that cannot be answered at once wait in a queue served every 50 ms; a download gets 10 seconds.
class PictureQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int QueueIntervalMs = 50;
    static constexpr int DownloadTimeoutMs = 10000;
    static constexpr qint64 MaxDownloadBytes = 1024 * 1024;

    PictureQueue(const QString& smileyDir, const QString& cacheDir, const QByteArray& webHost,
                 QObject* parent = nullptr);
    ~PictureQueue() override;

    // The picture now, or a null QVariant when it was queued (Ready follows if it can be found).
    QVariant Request(const QUrl& url);
    int Pending() const { return int(m_rows.size()); }
    bool Downloading() const { return !m_reply.isNull(); }
    QString CachePath(const QByteArray& address) const;
    static QString FileNameOf(const QByteArray& url);

signals:
    void Ready(const QUrl& src, const QImage& image);

private:
    struct Row {
        QByteArray src;
        QByteArray url;
    };
    void enqueue(const QByteArray& src, const QByteArray& url);
    void serveFirst();
    void finishFirst();
    void downloadFinished(QNetworkReply* reply);
    // The smiley folder is listed once per queue and each picture decoded once: a view asks for its pictures
    // again at every layout.
    QImage smiley(const QString& fileName) const;
    QImage cached(const QByteArray& address) const;

    QString m_smileyDir;
    QString m_cacheDir;
    QByteArray m_webHost;
    mutable bool m_smileysListed = false;
    mutable QHash<QString, QString> m_smileyFiles; // lower-case name -> name in the folder
    mutable QHash<QString, QImage> m_smileyImages; // lower-case name -> decoded picture (found files only)
    QList<Row> m_rows;
    QSet<QByteArray> m_seen;
    platform::Timer* m_queueTimer;
    platform::Timer* m_watchdog;
    QNetworkAccessManager* m_net = nullptr;
    QPointer<QNetworkReply> m_reply;
};

} // namespace korvex::contacts
