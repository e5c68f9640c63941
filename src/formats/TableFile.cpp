#include "formats/TableFile.h"

#include <QFile>
#include <QtEndian>

namespace korvex::formats {

namespace {
QByteArray cutAtZero(const char* p, int n) {
    int len = 0;
    while (len < n && p[len] != 0)
        ++len;
    return QByteArray(p, len);
}
} // namespace

std::optional<TableFileData> ParseTableFile(const QByteArray& bytes) {
    if (bytes.size() < 5) return std::nullopt;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qint32 count = qFromLittleEndian<qint32>(p);
    const int fieldCount = p[4];
    qsizetype pos = 5;
    if (bytes.size() < pos + 10 * fieldCount) return std::nullopt;
    TableFileData data;
    qsizetype recordSize = 0;
    for (int i = 0; i < fieldCount; ++i) {
        TableField f;
        f.size = qFromLittleEndian<quint16>(p + pos);
        f.name = cutAtZero(bytes.constData() + pos + 2, 8);
        recordSize += f.size;
        data.fields.append(f);
        pos += 10;
    }
    if (recordSize == 0) return data;
    for (qint32 r = 0; r < count && pos + recordSize <= bytes.size(); ++r) {
        QList<QByteArray> record;
        record.reserve(fieldCount);
        for (const TableField& f : data.fields) {
            record.append(cutAtZero(bytes.constData() + pos, f.size));
            pos += f.size;
        }
        data.records.append(std::move(record));
    }
    return data;
}

std::optional<TableFileData> ReadTableFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseTableFile(f.readAll());
}

QByteArray SerializeTableFile(const TableFileData& data) {
    QByteArray out(5, '\0');
    qToLittleEndian<qint32>(qint32(data.records.size()), out.data());
    out[4] = char(data.fields.size());
    for (const TableField& f : data.fields) {
        QByteArray d(10, '\0');
        qToLittleEndian<quint16>(quint16(f.size), d.data());
        d.replace(2, qMin<qsizetype>(8, f.name.size()), f.name.left(8));
        out += d;
    }
    for (const auto& record : data.records)
        for (int i = 0; i < data.fields.size(); ++i) {
            QByteArray cell = record.value(i).left(data.fields[i].size);
            cell.append(QByteArray(data.fields[i].size - cell.size(), '\0'));
            out += cell;
        }
    return out;
}

} // namespace korvex::formats
