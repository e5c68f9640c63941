#include "Smileys.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <QByteArrayView>

#include <algorithm>

namespace korvex::contacts {

namespace {

// "|n|" at pos, n = 1..133: the picture number, else 0.
int pictureCodeAt(const QByteArray& text, qsizetype pos) {
    int n = 0;
    qsizetype i = pos + 1;
    for (; i < text.size() && i <= pos + 4 && text[i] >= '0' && text[i] <= '9'; ++i) n = n * 10 + (text[i] - '0');
    const bool closed = i > pos + 1 && i < text.size() && text[i] == '|';
    return closed && n >= 1 && n <= SmileyTable::PictureCount ? n : 0;
}

QList<QByteArray> readLines(const QString& path, int count) {
    QFile file(path);
    QList<QByteArray> lines;
    if (!file.open(QIODevice::ReadOnly)) return lines;
    while (lines.size() < count && !file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        lines << line;
    }
    return lines;
}

} // namespace

SmileyTable::SmileyTable(const QString& imagesDir, const QByteArray& webHost)
    : m_imagesDir(imagesDir), m_webHost(webHost) {
    for (const QString& name : QDir(imagesDir).entryList(QDir::Files)) m_filesByLowerName.insert(name.toLower(), name);

    for (int n = 1; n <= PictureCount; ++n) {
        const QString dat = m_filesByLowerName.value(QStringLiteral("smile%1.dat").arg(n));
        if (dat.isEmpty()) continue;
        const QList<QByteArray> lines = readLines(QDir(imagesDir).filePath(dat), 2);
        if (!lines.isEmpty() && !lines[0].isEmpty()) m_codes.append({lines[0], n});
        if (lines.size() > 1) m_hints.insert(n, lines[1]);
    }
    m_codes.append({":D", 6});
    m_codes.append({":-)", 3});
    m_codes.append({":-(", 31});
    m_codes.append({":p", 130});
    m_codes.append({":-p", 130});
    std::stable_sort(m_codes.begin(), m_codes.end(),
                     [](const SmileyCode& a, const SmileyCode& b) { return a.code.size() > b.code.size(); });

    m_tags.resize(PictureCount + 1);
    for (int n = 1; n <= PictureCount; ++n) {
        const QString gif = m_filesByLowerName.value(QStringLiteral("smile%1.gif").arg(n));
        const QByteArray src = gif.isEmpty()
                                   ? "http://" + m_webHost + "/smiles/Smile" + QByteArray::number(n) + ".gif"
                                   : QUrl::fromLocalFile(QDir(imagesDir).filePath(gif)).toEncoded();
        m_tags[n] = "<img src=\"" + src + "\">";
    }
}

QByteArray SmileyTable::ImageTag(int picture) const {
    return picture >= 1 && picture <= PictureCount ? m_tags[picture] : QByteArray();
}

QByteArray SmileyTable::ExpandSmileys(const QByteArray& html) const {
    // Codes are replaced in the text between tags only: a code such as ":/" must not rewrite the "file:///" of a
    // picture inserted a moment before, nor the address of a link.
    QByteArray out;
    out.reserve(html.size() + 64);
    const qsizetype size = html.size();
    for (qsizetype i = 0; i < size;) {
        if (html[i] == '<') {
            qsizetype end = html.indexOf('>', i);
            end = end < 0 ? size : end + 1;
            out.append(html.constData() + i, end - i);
            i = end;
            continue;
        }
        if (html[i] == '|') {
            if (const int n = pictureCodeAt(html, i)) {
                out += m_tags[n];
                i = html.indexOf('|', i + 1) + 1;
                continue;
            }
        }
        const SmileyCode* match = nullptr;
        for (const SmileyCode& c : m_codes) // longest first
            if (QByteArrayView(html).sliced(i).startsWith(c.code)) {
                match = &c;
                break;
            }
        if (match) {
            out += m_tags[match->picture];
            i += match->code.size();
        } else {
            out += html[i++];
        }
    }
    return out;
}

} // namespace korvex::contacts
