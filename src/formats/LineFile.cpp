#include "formats/LineFile.h"

#include <QFile>
#include <QSaveFile>

namespace korvex::formats {

QList<QByteArray> SplitLines(const QByteArray& text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.append(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

std::optional<QList<QByteArray>> ReadLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return SplitLines(f.readAll());
}

bool WriteLines(const QString& path, const QList<QByteArray>& lines) {
    QByteArray text;
    for (const QByteArray& line : lines) {
        text += line;
        text += "\r\n";
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(text);
    return f.commit();
}

int SafeNumber(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 9) return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace korvex::formats
