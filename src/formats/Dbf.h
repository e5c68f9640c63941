#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>

namespace korvex::formats {

class DbfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One column of a dBASE table. Only 'C' (character) is written by the program today; the descriptor keeps the
// type, length and decimal count of every dBASE IV type so numeric ('N', 'F'), date ('D'), logical ('L') and
// memo ('M') columns can be given value conversions without changing the file handling.
struct DbfField {
    QByteArray name; // at most 10 characters
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

// A dBASE IV table file (level 4, no memo file), kept in memory while open; Post writes the current record
// through to the file and updates the header, so the file is consistent after every Post.
class DbfTable {
public:
    // Writes an empty table with the given fields; throws DbfError when it cannot.
    static void Create(const QString& path, const QList<DbfField>& fields);

    // Opens the file; throws DbfError for a missing file or a header that is not a dBASE table.
    void Open(const QString& path);
    // Parses a table held in memory (no file; Post is refused). Throws DbfError as Open does.
    void OpenBytes(const QByteArray& bytes);
    void Close();
    bool IsOpen() const { return m_open; }

    const QList<DbfField>& Fields() const { return m_fields; }
    int RecordCount() const { return int(m_records.size()); }

    // Navigation over the records in file order (deleted records included, as flagged).
    void First() { m_recNo = 0; }
    void Next() {
        if (m_recNo < RecordCount()) ++m_recNo;
    }
    bool Eof() const { return m_recNo >= RecordCount(); }
    int RecNo() const { return m_recNo; }
    bool IsDeleted() const;

    // Value of a field of the current record, trailing blanks removed; empty at Eof or for an unknown field.
    QByteArray FieldValue(const QByteArray& fieldName) const;
    // Moves to the first record whose trimmed field equals value; false (position unchanged) when none does.
    bool Locate(const QByteArray& fieldName, const QByteArray& value, Qt::CaseSensitivity cs);

    // Starts a new blank record at the end; it becomes the current record and is written by Post.
    void Append();
    // Sets a field of the current record (cut to the field length). Throws DbfError for an unknown field.
    void SetFieldValue(const QByteArray& fieldName, const QByteArray& value);
    // Writes the current record and the header to the file.
    void Post();

private:
    int fieldIndex(const QByteArray& name) const;
    void parse(const QByteArray& bytes);
    QByteArray header() const;

    QString m_path;
    bool m_open = false;
    quint8 m_version = 0x03;
    QList<DbfField> m_fields;
    QList<int> m_offsets; // of each field inside the record, after the deletion flag
    int m_recordSize = 1;
    int m_headerSize = 0;
    QList<QByteArray> m_records; // raw records, deletion flag included
    int m_recNo = 0;
};

} // namespace korvex::formats
