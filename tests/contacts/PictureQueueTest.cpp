#include "contacts/PictureQueue.h"

#include "platform/Timer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::contacts;

namespace {

// A tiny HTTP server: /ok.gif a picture, /big.gif 2 MiB, /text.gif not a picture, /slow.gif never answers.
class PictureServer : public QObject {
public:
    explicit PictureServer(QByteArray gif) : m_gif(std::move(gif)) {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    const QByteArray request = s->readAll();
                    const QByteArray path = request.split(' ').value(1);
                    ++requests;
                    QByteArray body;
                    if (path == "/ok.gif")
                        body = m_gif;
                    else if (path == "/big.gif")
                        body = QByteArray(2 * 1024 * 1024, 'G');
                    else if (path == "/text.gif")
                        body = "hello";
                    else
                        return; // slow: no answer
                    s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                             "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QByteArray Url(const char* path) const {
        return "http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + path;
    }
    int requests = 0;

private:
    QTcpServer m_server;
    QByteArray m_gif;
};

class PictureQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TimerHub::Instance().SetManual(true);
        QDir().mkpath(smileys());
        QFile::copy(KORVEX_SOURCE_DATA_DIR "/WebPages/Images/Smile3.gif", smileys() + "/Smile3.gif");
        QFile f(smileys() + "/Smile3.gif");
        f.open(QIODevice::ReadOnly);
        gif = f.readAll();
    }
    void TearDown() override { platform::TimerHub::Instance().SetManual(false); }
    QString smileys() const { return dir.filePath("WebPages/Images"); }
    QString cache() const { return dir.filePath("Data/Cache/Pictures"); }
    bool waitFor(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    void advance(qint64 ms) {
        platform::TimerHub::Instance().Advance(ms);
        QCoreApplication::processEvents();
    }
    QTemporaryDir dir;
    QByteArray gif;
};

} // namespace

TEST_F(PictureQueueTest, SmileysComeFromTheSmileyFolderWhateverFolderTheTagNames) {
    PictureQueue q(smileys(), cache(), "127.0.0.1:9"); // the placeholder host refuses at once
    QSignalSpy ready(&q, &PictureQueue::Ready);
    // An http address whose file is a known smiley is answered at once, without the network.
    EXPECT_FALSE(q.Request(QUrl("http://elsewhere.example/smiles/smile3.GIF")).value<QImage>().isNull());
    // A local reference is never read where it points: only its last component is looked up among the
    // smileys.
    EXPECT_FALSE(q.Request(QUrl("file:///etc/Smile3.gif")).isValid());
    EXPECT_FALSE(q.Request(QUrl("file:///etc/passwd.gif")).isValid());
    EXPECT_FALSE(q.Request(QUrl("file:///etc/shadow")).isValid()); // replaced by the host's placeholder
    advance(50);
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toUrl(), QUrl("file:///etc/Smile3.gif"));
    advance(50);
    advance(50);
    advance(10000); // at the latest the watchdog drops the placeholder's download
    EXPECT_TRUE(waitFor([&] { return q.Pending() == 0; }));
    EXPECT_EQ(ready.size(), 1);
}

TEST_F(PictureQueueTest, DownloadsGoToTheCacheOnlyWhenTheyAreSmallPictures) {
    PictureServer server(gif);
    PictureQueue q(smileys(), cache(), "web.example");
    QSignalSpy ready(&q, &PictureQueue::Ready);
    const QStringList smileysBefore = QDir(smileys()).entryList(QDir::Files);
    for (const char* path : {"/big.gif", "/text.gif", "/ok.gif"})
        EXPECT_FALSE(q.Request(QUrl(server.Url(path))).isValid());
    advance(50);
    ASSERT_TRUE(waitFor([&] {
        // Time moves only between downloads, so the watchdog never cuts a slow loopback transfer short.
        if (q.Pending() > 0 && !q.Downloading()) advance(50);
        return q.Pending() == 0;
    }));
    ASSERT_EQ(ready.size(), 1);
    EXPECT_EQ(ready[0][0].toUrl(), QUrl(server.Url("/ok.gif")));
    EXPECT_TRUE(QFile::exists(q.CachePath(server.Url("/ok.gif"))));
    EXPECT_FALSE(QFile::exists(q.CachePath(server.Url("/big.gif"))));
    EXPECT_FALSE(QFile::exists(q.CachePath(server.Url("/text.gif"))));
    EXPECT_EQ(QDir(cache()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(QDir(smileys()).entryList(QDir::Files), smileysBefore); // the smiley folder is never written

    // The next view of the same address is served from the cache, without a request.
    const int requests = server.requests;
    PictureQueue again(smileys(), cache(), "web.example");
    EXPECT_FALSE(again.Request(QUrl(server.Url("/ok.gif"))).value<QImage>().isNull());
    EXPECT_EQ(server.requests, requests);
}

TEST_F(PictureQueueTest, ASilentServerCostsTenSecondsThenTheQueueGoesOn) {
    PictureServer server(gif);
    PictureQueue q(smileys(), cache(), "web.example");
    QSignalSpy ready(&q, &PictureQueue::Ready);
    q.Request(QUrl(server.Url("/slow.gif")));
    q.Request(QUrl(server.Url("/ok.gif")));
    advance(50);
    ASSERT_TRUE(waitFor([&] { return server.requests == 1; }));
    advance(9000);
    EXPECT_EQ(q.Pending(), 2);
    advance(1000);
    EXPECT_EQ(q.Pending(), 1);
    advance(50);
    ASSERT_TRUE(waitFor([&] { return ready.size() == 1; }));
    EXPECT_EQ(ready[0][0].toUrl(), QUrl(server.Url("/ok.gif")));
}
