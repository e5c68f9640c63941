#include "contacts/ChatView.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using korvex::contacts::ChatView;

// A picture the owner does not give (yet) shows the missing-picture mark; the view never reads the source
// itself, not even when it names a picture file that exists, and asks the owner only once for it until the
// picture is delivered.
TEST(ChatView, PicturesComeOnlyFromTheOwner) {
    QTemporaryDir dir;
    const QString path = dir.filePath("private.png");
    QImage secret(40, 30, QImage::Format_RGB32);
    secret.fill(Qt::red);
    ASSERT_TRUE(secret.save(path));

    ChatView view;
    view.resize(400, 300);
    int asked = 0;
    view.ImageRequest = [&](const QUrl&) {
        ++asked;
        return QVariant();
    };
    for (int i = 0; i < 5; ++i)
        view.AppendLine("line <img src=\"" + path.toUtf8() + "\">");
    view.show();
    view.grab();
    const QUrl url(path);
    const QImage shown = view.document()->resource(QTextDocument::ImageResource, url).value<QImage>();
    EXPECT_NE(shown.size(), secret.size());
    EXPECT_EQ(asked, 1);

    QImage delivered(12, 9, QImage::Format_RGB32);
    delivered.fill(Qt::blue);
    view.DeliverImage(url, delivered);
    view.grab();
    EXPECT_EQ(view.document()->resource(QTextDocument::ImageResource, url).value<QImage>(), delivered);
}
