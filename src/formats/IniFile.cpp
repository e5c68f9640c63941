#include "formats/IniFile.h"

#include "formats/LineFile.h"

#include <QFile>
#include <QSaveFile>

namespace korvex::formats {

namespace {
bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {
    Reload();
}

void IniFile::Reload() {
    m_head.clear();
    m_sections.clear();
    QFile f(m_path);
    if (f.open(QIODevice::ReadOnly)) Parse(f.readAll());
}

void IniFile::Parse(const QByteArray& text) {
    m_head.clear();
    m_sections.clear();
    for (const QByteArray& rawLine : SplitLines(text)) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[') && line.contains(']')) {
            m_sections.append({line.mid(1, line.indexOf(']') - 1).trimmed(), {}});
            continue;
        }
        Line entry;
        entry.raw = rawLine;
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith(';')) {
            entry.key = line.left(eq).trimmed();
            entry.value = line.mid(eq + 1).trimmed();
            // Quoted values lose their quotes, as GetPrivateProfileString does.
            if (entry.value.size() >= 2 && (entry.value.front() == '"' || entry.value.front() == '\'') &&
                entry.value.back() == entry.value.front())
                entry.value = entry.value.mid(1, entry.value.size() - 2);
        }
        (m_sections.isEmpty() ? m_head : m_sections.last().lines).append(entry);
    }
}

QByteArray IniFile::Serialize() const {
    QByteArray out;
    auto put = [&out](const Line& l) {
        // A value that itself looks quoted gets one more pair of quotes, which reading removes again.
        const bool looksQuoted = l.value.size() >= 2 && (l.value.front() == '"' || l.value.front() == '\'') &&
                                 l.value.back() == l.value.front();
        out += l.key.isEmpty() ? l.raw : l.key + '=' + (looksQuoted ? '"' + l.value + '"' : l.value);
        out += "\r\n";
    };
    for (const Line& l : m_head)
        put(l);
    for (const Section& s : m_sections) {
        out += '[' + s.name + "]\r\n";
        for (const Line& l : s.lines)
            put(l);
    }
    return out;
}

bool IniFile::UpdateFile() const {
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(Serialize());
    return f.commit();
}

const IniFile::Line* IniFile::find(const QByteArray& section, const QByteArray& key) const {
    for (const Section& s : m_sections) {
        if (!sameName(s.name, section)) continue;
        for (const Line& l : s.lines)
            if (!l.key.isEmpty() && sameName(l.key, key)) return &l;
    }
    return nullptr;
}

bool IniFile::ValueExists(const QByteArray& section, const QByteArray& key) const {
    return find(section, key) != nullptr;
}

QByteArray IniFile::ReadString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& def) const {
    const Line* l = find(section, key);
    return l ? l->value : def;
}

int IniFile::ReadInteger(const QByteArray& section, const QByteArray& key, int def) const {
    const Line* l = find(section, key);
    if (!l) return def;
    bool ok = false;
    QByteArray v = l->value;
    const int value = v.startsWith("0x") || v.startsWith("0X") ? v.mid(2).toInt(&ok, 16) : v.toInt(&ok, 10);
    return ok ? value : def;
}

bool IniFile::ReadBool(const QByteArray& section, const QByteArray& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value) {
    // Line breaks would split the entry on the next read.
    QByteArray clean = value;
    clean.replace('\r', ' ').replace('\n', ' ');
    for (Section& s : m_sections) {
        if (!sameName(s.name, section)) continue;
        for (Line& l : s.lines)
            if (!l.key.isEmpty() && sameName(l.key, key)) {
                l.value = clean;
                return;
            }
        // New keys go after the last key of the section, before trailing blank lines.
        qsizetype at = s.lines.size();
        while (at > 0 && s.lines[at - 1].key.isEmpty() && s.lines[at - 1].raw.trimmed().isEmpty())
            --at;
        s.lines.insert(at, Line{key, clean, {}});
        return;
    }
    m_sections.append({section, {Line{key, clean, {}}}});
}

void IniFile::WriteBool(const QByteArray& section, const QByteArray& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteInteger(const QByteArray& section, const QByteArray& key, int value) {
    WriteString(section, key, QByteArray::number(value));
}

void WriteIniString(const QString& path, const QByteArray& section, const QByteArray& key,
                    const QByteArray& value) {
    IniFile ini(path);
    ini.WriteString(section, key, value);
    ini.UpdateFile();
}

void WriteIniBool(const QString& path, const QByteArray& section, const QByteArray& key, bool value) {
    WriteIniString(path, section, key, value ? "1" : "0");
}

} // namespace korvex::formats
