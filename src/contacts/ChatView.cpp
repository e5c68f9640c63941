#include "contacts/ChatView.h"

#include "session/TDM.h"

#include <QImage>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace korvex::contacts {

QByteArray CodePageOfCharset(int charset) {
    switch (charset) {
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 163:
        return "windows-1258";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 204:
        return "windows-1251";
    case 222:
        return "windows-874";
    case 238:
        return "windows-1250";
    case 136:
        return "Big5";
    case 255:
        return "IBM437";
    default:
        return {};
    }
}

QString DecodeWithCharset(const QByteArray& bytes, int charset) {
    const QByteArray cp = CodePageOfCharset(charset);
    if (!cp.isEmpty()) {
        QStringDecoder decoder(cp.constData());
        if (decoder.isValid()) return decoder.decode(bytes);
    }
    return session::FromAnsi(bytes);
}

ChatView::ChatView(QWidget* parent) : QTextBrowser(parent) {
    setReadOnly(true);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    document()->setUndoRedoEnabled(false);
}

void ChatView::AppendLine(const QByteArray& lineHtml) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!m_empty) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor.insertHtml(DecodeWithCharset(lineHtml, m_charset));
    m_empty = false;
    if (document()->blockCount() > MaxLines) {
        QTextCursor first(document()->firstBlock());
        first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        first.removeSelectedText();
    }
    ScrollToBottom();
}

void ChatView::Reload(const QList<QByteArray>& lines) {
    clear();
    m_empty = true;
    const qsizetype from = lines.size() > MaxLines ? lines.size() - MaxLines : 0;
    for (qsizetype i = from; i < lines.size(); ++i)
        AppendLine(lines[i]);
    ScrollToBottom();
}

int ChatView::LineCount() const {
    return m_empty ? 0 : document()->blockCount();
}

void ChatView::SetCharset(int charset) {
    m_charset = charset;
}

void ChatView::ScrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QString ChatView::LineText(int n) const {
    return document()->findBlockByNumber(n).text();
}

void ChatView::DeliverImage(const QUrl& url, const QImage& image) {
    document()->addResource(QTextDocument::ImageResource, url, image);
    document()->markContentsDirty(0, document()->characterCount());
}

namespace {

// What a picture that is not there (yet) shows: the mark Qt's layout draws for a missing picture.
const QImage& missingPicture() {
    static const QImage picture = [] {
        QImage mark(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png"));
        if (mark.isNull()) {
            mark = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
            mark.fill(Qt::transparent);
        }
        return mark;
    }();
    return picture;
}

} // namespace

QVariant ChatView::loadResource(int type, const QUrl& name) {
    // Only pictures are ever fetched for a view, and only through the owner's rules: never a style sheet,
    // never a file the message names directly.
    if (type != QTextDocument::ImageResource || !ImageRequest) return {};
    const QVariant picture = ImageRequest(name);
    if (!picture.isNull()) return picture;
    // Not here now (DeliverImage brings it when it comes). Without an answer the layout would try the source
    // as a file name of its own, at every layout of every line that shows it.
    return missingPicture();
}

} // namespace korvex::contacts
