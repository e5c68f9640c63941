#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace korvex::formats {

struct TableField {
    QByteArray name;
    int size = 0;
};

// The binary table file (country.dat): record count, field descriptors, then fixed-size text records.
struct TableFileData {
    QList<TableField> fields;
    QList<QList<QByteArray>> records; // one text per field, cut at the first 0 byte
};

// Parses the file's bytes. A negative record count reads as none; records beyond the end of the data are not
// read (the whole records before them are kept). nullopt when the header itself is incomplete.
std::optional<TableFileData> ParseTableFile(const QByteArray& bytes);
std::optional<TableFileData> ReadTableFile(const QString& path);
QByteArray SerializeTableFile(const TableFileData& data);

} // namespace korvex::formats
