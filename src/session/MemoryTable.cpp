#include "session/MemoryTable.h"

namespace korvex::session {

void MemoryTable::SetFields(const QList<Field>& fields) {
    m_fields = fields;
    Clear();
}

int MemoryTable::column(const QByteArray& field) const {
    // Callers nearly always spell the field as declared.
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name == field) return i;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QByteArray MemoryTable::fold(const QByteArray& value) {
    // Broader than or equal to what compare(CaseInsensitive) treats as equal (ASCII and Latin-1 letters); a
    // candidate is always checked with compare itself.
    auto upper = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    };
    qsizetype i = 0;
    while (i < value.size() && !upper(static_cast<unsigned char>(value[i])))
        ++i;
    if (i == value.size()) return value; // already folded: shared, no copy
    QByteArray f = value;
    for (; i < f.size(); ++i)
        if (upper(static_cast<unsigned char>(f[i]))) f[i] = char(f[i] + 32);
    return f;
}

void MemoryTable::indexAppended(int row) const {
    for (auto it = m_index.begin(); it != m_index.end(); ++it) {
        const QByteArray key = fold(m_rows[row][it.key()]);
        if (auto slot = it->find(key); slot == it->end()) it->insert(key, row);
    }
}

void MemoryTable::AppendRow(const QList<QByteArray>& values) {
    QList<QByteArray> row(m_fields.size());
    for (int i = 0; i < m_fields.size() && i < values.size(); ++i)
        row[i] = values[i].left(m_fields[i].size);
    m_rows.append(row);
    m_current = RecordCount() - 1;
    indexAppended(m_current);
}

void MemoryTable::Append(std::initializer_list<std::pair<QByteArray, QByteArray>> values) {
    AppendRow({});
    for (const auto& [field, value] : values)
        SetValue(field, value);
}

int MemoryTable::Find(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs) const {
    const int c = column(field);
    if (c < 0 || m_rows.isEmpty()) return -1;
    if (cs == Qt::CaseInsensitive) {
        auto it = m_index.find(c);
        if (it == m_index.end()) {
            it = m_index.insert(c, {});
            for (int r = int(m_rows.size()) - 1; r >= 0; --r)
                it->insert(fold(m_rows[r][c]), r);
        }
        const int r = it->value(fold(value), -1);
        if (r < 0) return -1;
        if (m_rows[r][c].compare(value, cs) == 0) return r;
    }
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r][c].compare(value, cs) == 0) return r;
    return -1;
}

bool MemoryTable::Locate(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs) const {
    return Find(field, value, cs) >= 0;
}

bool MemoryTable::Locate(const QByteArray& field, const QByteArray& value, Qt::CaseSensitivity cs) {
    const int r = Find(field, value, cs);
    if (r < 0) return false;
    m_current = r;
    return true;
}

QByteArray MemoryTable::ValueAt(int row, const QByteArray& field) const {
    const int c = column(field);
    if (c < 0 || row < 0 || row >= m_rows.size()) return {};
    return m_rows[row][c];
}

QByteArray MemoryTable::Value(const QByteArray& field) const {
    return ValueAt(m_current, field);
}

void MemoryTable::SetValue(const QByteArray& field, const QByteArray& value) {
    const int c = column(field);
    if (c < 0 || Eof()) return;
    const QByteArray old = m_rows[m_current][c];
    m_rows[m_current][c] = value.left(m_fields[c].size);
    auto it = m_index.find(c);
    if (it == m_index.end()) return;
    if (m_current != RecordCount() - 1) {
        m_index.erase(it);
        return;
    }
    // The last row: no later row can take over its old key.
    const QByteArray oldKey = fold(old);
    if (it->value(oldKey, -1) == m_current) it->remove(oldKey);
    const QByteArray key = fold(m_rows[m_current][c]);
    if (!it->contains(key)) it->insert(key, m_current);
}

void MemoryTable::DeleteRow(int row) {
    if (row < 0 || row >= m_rows.size()) return;
    m_rows.removeAt(row);
    m_index.clear();
    if (m_rows.isEmpty())
        m_current = -1;
    else if (m_current >= m_rows.size())
        m_current = int(m_rows.size()) - 1;
}

void MemoryTable::Delete() {
    DeleteRow(m_current);
}

void MemoryTable::Clear() {
    m_rows.clear();
    m_index.clear();
    m_current = -1;
}

QList<QByteArray> MemoryTable::Column(const QByteArray& field) const {
    QList<QByteArray> values;
    for (int r = 0; r < m_rows.size(); ++r)
        values.append(ValueAt(r, field));
    return values;
}

} // namespace korvex::session
