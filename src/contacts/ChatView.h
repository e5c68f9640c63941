#pragma once

#include <QByteArray>
#include <QList>
#include <QTextBrowser>
#include <functional>

namespace korvex::contacts {

// Code page of a Windows character set number (0 and 1: the ANSI code page); empty for the ANSI code page.
QByteArray CodePageOfCharset(int charset);
// Bytes drawn with a character set.
QString DecodeWithCharset(const QByteArray& bytes, int charset);

// The message history view: one block per history line, so adding a line costs the same whatever the view
// holds; at most MaxLines lines, the oldest dropped first. Pictures are asked of the owner through
// ImageRequest; a null answer means "not now" (the owner may deliver it later with DeliverImage).
class ChatView : public QTextBrowser {
    Q_OBJECT
public:
    static constexpr int MaxLines = 1000;
    explicit ChatView(QWidget* parent = nullptr);

    void AppendLine(const QByteArray& lineHtml);
    // Rebuilds the view from the lines (character set change, clearing, after copying).
    void Reload(const QList<QByteArray>& lines);
    int LineCount() const;
    void SetCharset(int charset);
    int Charset() const { return m_charset; }
    void ScrollToBottom();
    // Plain text of the line n (0 = oldest shown).
    QString LineText(int n) const;

    std::function<QVariant(const QUrl&)> ImageRequest;
    void DeliverImage(const QUrl& url, const QImage& image);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    int m_charset = 1;
    bool m_empty = true;
};

} // namespace korvex::contacts
