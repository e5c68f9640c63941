#include "ChatStyleFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace korvex::contacts {

QByteArray ChatStyleFile::Encode() const {
    QByteArray bytes(Size, '\0');
    bytes[1] = char(colour & 0xFF);
    bytes[2] = bold ? 1 : 0;
    bytes[3] = italic ? 1 : 0;
    bytes[4] = char(sizeIndex);
    QByteArray name = nameColor.left(7);
    name.append(7 - name.size(), ' ');
    bytes.replace(5, 7, name);
    qToLittleEndian<quint32>(colour, bytes.data() + 12);
    QByteArray faceField = face.left(30);
    faceField.append(30 - faceField.size(), ' ');
    bytes.replace(16, 30, faceField);
    bytes[46] = optionFlag ? 1 : 0;
    return bytes;
}

ChatStyleFile ChatStyleFile::Decode(const QByteArray& bytes) {
    ChatStyleFile s;
    const auto has = [&](int end) { return bytes.size() >= end; };
    if (has(3)) s.bold = bytes[2] != 0;
    if (has(4)) s.italic = bytes[3] != 0;
    if (has(5) && quint8(bytes[4]) <= 3) s.sizeIndex = bytes[4];
    if (has(12)) s.nameColor = bytes.mid(5, 7);
    if (has(16)) s.colour = qFromLittleEndian<quint32>(bytes.constData() + 12);
    if (has(46)) {
        const QByteArray face = bytes.mid(16, 30).trimmed();
        if (!face.isEmpty()) s.face = face;
    }
    if (has(47)) s.optionFlag = bytes[46] != 0;
    return s;
}

void ChatStyleFile::ApplyTo(TextStyle& style) const {
    style.bold = bold;
    style.italic = italic;
    style.size = QByteArray::number(sizeIndex + 1);
    style.colour = colour;
    style.face = face;
}

ChatStyleFile ChatStyleFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Decode(file.read(Size));
}

bool ChatStyleFile::Save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(Encode());
    return file.commit();
}

int ReadCharsetFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    bool ok = false;
    const int value = file.readLine().trimmed().toInt(&ok);
    return ok ? value : 1;
}

bool WriteCharsetFile(const QString& path, int charset) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QByteArray::number(charset) + "\r\n");
    return file.commit();
}

} // namespace korvex::contacts
