#include "rooms/CustomColours.h"

#include <QFile>
#include <QSaveFile>

namespace korvex::rooms {

QList<quint32> LoadCustomColours(const QString& path) {
    QList<quint32> colours;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return colours;
    while (!file.atEnd() && colours.size() < CustomColourSlots) {
        bool ok = false;
        const quint32 value = file.readLine(64).trimmed().toUInt(&ok);
        if (ok && value <= 0xFFFFFF) colours.append(value);
    }
    return colours;
}

bool SaveCustomColours(const QString& path, const QList<quint32>& colours) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (qsizetype i = 0; i < colours.size() && i < CustomColourSlots; ++i)
        file.write(QByteArray::number(colours[i]) + "\r\n");
    return file.commit();
}

QList<quint32> WithCurrentColour(QList<quint32> colours, quint32 current) {
    colours.removeAll(current);
    colours.prepend(current);
    if (colours.size() > CustomColourSlots) colours.resize(CustomColourSlots);
    return colours;
}

} // namespace korvex::rooms
