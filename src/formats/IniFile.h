#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvex::formats {

// An INI file with the rules of the Windows profile functions: section and key names compare without regard
// to case, the first spelling seen is kept on writing, booleans are written "1"/"0" and read as integers
// (non-zero is true). Values are bytes in the ANSI code page. Lines that are neither a section, a key nor a
// comment are kept as they are so a hand-edited file survives a rewrite.
class IniFile {
public:
    explicit IniFile(QString path);

    // Reads the file again from disk; a missing or unreadable file reads as empty.
    void Reload();
    // Writes the file (CR LF lines). False when it cannot be written.
    bool UpdateFile() const;

    QByteArray ReadString(const QByteArray& section, const QByteArray& key, const QByteArray& def = {}) const;
    bool ReadBool(const QByteArray& section, const QByteArray& key, bool def) const;
    int ReadInteger(const QByteArray& section, const QByteArray& key, int def) const;
    bool ValueExists(const QByteArray& section, const QByteArray& key) const;

    void WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    void WriteBool(const QByteArray& section, const QByteArray& key, bool value);
    void WriteInteger(const QByteArray& section, const QByteArray& key, int value);

    // Parses text in INI form (exposed for the fuzz target and tests).
    void Parse(const QByteArray& text);
    QByteArray Serialize() const;

private:
    struct Line {
        QByteArray key; // empty for a line kept verbatim
        QByteArray value;
        QByteArray raw;
    };
    struct Section {
        QByteArray name;
        QList<Line> lines;
    };
    const Line* find(const QByteArray& section, const QByteArray& key) const;

    QString m_path;
    QList<Line> m_head; // lines before the first section
    QList<Section> m_sections;
};

// Writes one value to a file and saves it at once, as the Windows WritePrivateProfileString does.
void WriteIniString(const QString& path, const QByteArray& section, const QByteArray& key,
                    const QByteArray& value);
void WriteIniBool(const QString& path, const QByteArray& section, const QByteArray& key, bool value);

} // namespace korvex::formats
