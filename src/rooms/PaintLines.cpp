#include "rooms/PaintLines.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace korvex::rooms {

QString UniquePictureName(const QString& tempDir, const QDateTime& arrival) {
    // Numbers already given in this second are not tried again: a flood of drawings would otherwise test
    // every earlier name for each new one.
    static QString lastBase;
    static int lastNumber = 0;
    const QString base = arrival.toString(QStringLiteral("yyyyMMddhhmmss"));
    auto nameOf = [&base](int number) {
        return number == 1 ? base : base + QLatin1Char('-') + QString::number(number);
    };
    int number = base == lastBase ? lastNumber + 1 : 1;
    const QDir dir(tempDir);
    while (QFileInfo::exists(dir.filePath(nameOf(number) + QStringLiteral(".gif"))))
        ++number;
    lastBase = base;
    lastNumber = number;
    return nameOf(number);
}

QByteArray PaintLineHtml(const QByteArray& label, const QString& picturePath) {
    return label + "<img src=\"" + QUrl::fromLocalFile(picturePath).toEncoded() + "\"><br> ";
}

bool IsTempPictureSource(const QString& fileName) {
    const QString lower = fileName.toLower();
    if (fileName.isEmpty() || fileName.startsWith(QLatin1Char('.'))) return false;
    return lower.contains(QLatin1String("gif")) || lower.contains(QLatin1String("bmp")) ||
           lower.contains(QLatin1String("jpg"));
}

} // namespace korvex::rooms
