#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <initializer_list>
#include <utility>

namespace korvex::session {

// A small in-memory table of text fields with a current row, as the data module's lists need: append, locate
// by a column (ignoring case or exactly), read and set fields of the current row, delete. Values longer than
// their field are cut to its size.
class MemoryTable {
public:
    struct Field {
        QByteArray name;
        int size;
    };
    MemoryTable() = default;
    MemoryTable(std::initializer_list<Field> fields) : m_fields(fields) {}

    // Replaces the field definitions and empties the table.
    void SetFields(const QList<Field>& fields);
    const QList<Field>& Fields() const { return m_fields; }

    int RecordCount() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.isEmpty(); }
    // Current row index, -1 when the table is empty.
    int RecNo() const { return m_current; }
    void First() { m_current = m_rows.isEmpty() ? -1 : 0; }
    void Next() {
        if (m_current >= 0 && m_current < RecordCount()) ++m_current;
    }
    bool Eof() const { return m_current < 0 || m_current >= RecordCount(); }
    void SetRecNo(int row) { m_current = (row >= 0 && row < RecordCount()) ? row : -1; }

    // Appends a row with the given field values (others empty); it becomes the current row.
    void Append(std::initializer_list<std::pair<QByteArray, QByteArray>> values);
    void AppendRow(const QList<QByteArray>& valuesInFieldOrder);
    // Moves to the first row whose field equals value; false (current row kept) when there is none.
    bool Locate(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs) const;
    bool Locate(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs);
    int Find(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs) const;

    QByteArray Value(const QByteArray& field) const;
    QByteArray ValueAt(int row, const QByteArray& field) const;
    void SetValue(const QByteArray& field, const QByteArray& value);
    // Deletes the current row; the next row (or the new last one) becomes current.
    void Delete();
    void DeleteRow(int row);
    void Clear();
    QList<QByteArray> Column(const QByteArray& field) const;

private:
    int column(const QByteArray& field) const;
    // Lookups ignoring case are served by a per-column index (folded value -> first row), built at the first
    // such lookup and kept up to date by appends; deletions drop it. Presence tables of a busy service hold
    // thousands of rows, and every presence command looks its user up.
    static QByteArray fold(const QByteArray& value);
    void indexAppended(int row) const;
    mutable QHash<int, QHash<QByteArray, int>> m_index;
    QList<Field> m_fields;
    QList<QList<QByteArray>> m_rows;
    int m_current = -1;
};

} // namespace korvex::session
