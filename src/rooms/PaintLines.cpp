#include "rooms/PaintLines.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace korvex::rooms {

QString UniquePictureName(const QString& tempDir, const QDateTime& arrival) {
    const QString base = arrival.toString(QStringLiteral("yyyyMMddhhmmss"));
    const QDir dir(tempDir);
    QString name = base;
    for (int n = 2; QFileInfo::exists(dir.filePath(name + QStringLiteral(".gif"))); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
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
