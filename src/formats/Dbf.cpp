#include "formats/Dbf.h"

#include <QDate>
#include <QFile>
#include <QtEndian>

namespace korvex::formats {

namespace {
constexpr int DescriptorSize = 32;
constexpr char HeaderEnd = 0x0D;
constexpr char FileEnd = 0x1A;

bool validType(char t) {
    return t == 'C' || t == 'N' || t == 'F' || t == 'D' || t == 'L' || t == 'M';
}
} // namespace

void DbfTable::Create(const QString& path, const QList<DbfField>& fields) {
    if (fields.isEmpty() || fields.size() > 255) throw DbfError("a table needs 1 to 255 fields");
    DbfTable t;
    // dBASE tools expect upper-case field names; lookups here ignore case anyway.
    t.m_fields = fields;
    for (DbfField& f : t.m_fields)
        f.name = f.name.toUpper();
    t.m_recordSize = 1;
    for (const DbfField& f : fields) {
        if (f.name.isEmpty() || f.name.size() > 10 || !validType(f.type) || f.length < 1 || f.length > 254)
            throw DbfError("invalid field " + f.name.toStdString());
        t.m_offsets.append(t.m_recordSize);
        t.m_recordSize += f.length;
    }
    t.m_headerSize = 32 + DescriptorSize * int(fields.size()) + 1;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbfError("cannot create " + path.toStdString());
    f.write(t.header());
    f.write(QByteArray(1, FileEnd));
    if (!f.flush()) throw DbfError("cannot write " + path.toStdString());
}

QByteArray DbfTable::header() const {
    QByteArray h(32, '\0');
    auto* p = reinterpret_cast<uchar*>(h.data());
    const QDate today = QDate::currentDate();
    p[0] = m_version;
    p[1] = uchar(today.year() - 1900);
    p[2] = uchar(today.month());
    p[3] = uchar(today.day());
    qToLittleEndian<quint32>(quint32(m_records.size()), p + 4);
    qToLittleEndian<quint16>(quint16(m_headerSize), p + 8);
    qToLittleEndian<quint16>(quint16(m_recordSize), p + 10);
    for (const DbfField& f : m_fields) {
        QByteArray d(DescriptorSize, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(uchar(f.length));
        d[17] = char(uchar(f.decimals));
        h += d;
    }
    h += HeaderEnd;
    return h;
}

void DbfTable::Open(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw DbfError("cannot open " + path.toStdString());
    parse(f.readAll());
    m_path = path;
}

void DbfTable::OpenBytes(const QByteArray& bytes) {
    parse(bytes);
    m_path.clear();
}

void DbfTable::parse(const QByteArray& bytes) {
    Close();
    if (bytes.size() < 33) throw DbfError("not a dBASE table: too short");
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const quint8 version = p[0];
    if ((version & 0x07) != 0x03) throw DbfError("not a dBASE III/IV table");
    const quint32 count = qFromLittleEndian<quint32>(p + 4);
    const int headerSize = qFromLittleEndian<quint16>(p + 8);
    const int recordSize = qFromLittleEndian<quint16>(p + 10);
    if (headerSize < 33 || headerSize > bytes.size() || recordSize < 1)
        throw DbfError("not a dBASE table: bad header sizes");
    QList<DbfField> fields;
    QList<int> offsets;
    int offset = 1;
    for (int pos = 32; pos + DescriptorSize <= headerSize && p[pos] != HeaderEnd; pos += DescriptorSize) {
        DbfField fd;
        const char* name = bytes.constData() + pos;
        int len = 0;
        while (len < 11 && name[len] != 0)
            ++len;
        fd.name = QByteArray(name, len);
        fd.type = char(p[pos + 11]);
        fd.length = p[pos + 16];
        fd.decimals = p[pos + 17];
        if (fd.length == 0) throw DbfError("not a dBASE table: empty field");
        offsets.append(offset);
        offset += fd.length;
        fields.append(fd);
    }
    if (fields.isEmpty() || offset != recordSize)
        throw DbfError("not a dBASE table: fields do not fill the record");
    m_version = version;
    m_fields = fields;
    m_offsets = offsets;
    m_recordSize = recordSize;
    m_headerSize = headerSize;
    // A count larger than the data (an interrupted append) keeps the whole records that are there.
    const qsizetype available = (bytes.size() - headerSize) / recordSize;
    const qsizetype n = qMin<qsizetype>(available, count);
    m_records.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        m_records.append(bytes.mid(headerSize + i * recordSize, recordSize));
    m_recNo = 0;
    m_open = true;
}

void DbfTable::Close() {
    m_open = false;
    m_records.clear();
    m_fields.clear();
    m_offsets.clear();
    m_recNo = 0;
}

int DbfTable::fieldIndex(const QByteArray& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool DbfTable::IsDeleted() const {
    return !Eof() && m_records[m_recNo].startsWith('*');
}

QByteArray DbfTable::FieldValue(const QByteArray& fieldName) const {
    const int i = fieldIndex(fieldName);
    if (i < 0 || Eof()) return {};
    QByteArray v = m_records[m_recNo].mid(m_offsets[i], m_fields[i].length);
    qsizetype end = v.size();
    while (end > 0 && (v[end - 1] == ' ' || v[end - 1] == '\0'))
        --end;
    v.truncate(end);
    return v;
}

bool DbfTable::Locate(const QByteArray& fieldName, const QByteArray& value, Qt::CaseSensitivity cs) {
    const int i = fieldIndex(fieldName);
    if (i < 0) return false;
    const QByteArray wanted = value.trimmed();
    const int saved = m_recNo;
    for (m_recNo = 0; m_recNo < RecordCount(); ++m_recNo)
        if (!IsDeleted() && FieldValue(fieldName).trimmed().compare(wanted, cs) == 0) return true;
    m_recNo = saved;
    return false;
}

void DbfTable::Append() {
    if (!m_open) throw DbfError("table not open");
    m_records.append(QByteArray(m_recordSize, ' '));
    m_recNo = RecordCount() - 1;
}

void DbfTable::SetFieldValue(const QByteArray& fieldName, const QByteArray& value) {
    const int i = fieldIndex(fieldName);
    if (i < 0) throw DbfError("no field " + fieldName.toStdString());
    if (Eof()) throw DbfError("no current record");
    const DbfField& f = m_fields[i];
    QByteArray cell = value.left(f.length);
    cell.append(QByteArray(f.length - cell.size(), ' '));
    m_records[m_recNo].replace(m_offsets[i], f.length, cell);
}

void DbfTable::Post() {
    if (!m_open || m_path.isEmpty()) throw DbfError("table not open on a file");
    if (Eof()) return;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadWrite)) throw DbfError("cannot write " + m_path.toStdString());
    const qint64 at = m_headerSize + qint64(m_recNo) * m_recordSize;
    f.seek(at);
    f.write(m_records[m_recNo]);
    if (m_recNo == RecordCount() - 1) {
        f.write(QByteArray(1, FileEnd));
        f.resize(at + m_recordSize + 1);
    }
    // Only the first 12 bytes of the header change; the descriptors stay as the file has them.
    f.seek(0);
    f.write(header().left(12));
    if (!f.flush()) throw DbfError("cannot write " + m_path.toStdString());
}

} // namespace korvex::formats
