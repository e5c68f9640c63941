#pragma once

#include <QByteArray>

#include <array>
#include <initializer_list>

namespace korvex::net {

inline constexpr char CmdStart = char(0x9A);
inline constexpr char FieldSep = char(0x9C);
inline constexpr int CommandFieldCount = 51;

// A command taken out of a text: its name and 51 fields, index 0 being field 1. Fields past the 51st are
// dropped; no command of the protocol has that many.
struct ParsedCommand {
    QByteArray name;
    std::array<QByteArray, CommandFieldCount> fields;

    // Field by its protocol number, counted from 1; empty when out of range.
    const QByteArray& field(int number) const;
};

// Builds CmdStart, name, FieldSep, then every field followed by FieldSep. The caller keeps the reserved bytes
// out of the name and the fields (EscapeField, EscapeChunk or StripMarks, as the field requires).
QByteArray MakeCommand(const QByteArray& name, std::initializer_list<QByteArray> fields = {});

// Takes the next command out of text: fills cmd, removes the command (and anything before it) from the text,
// and returns whether one was found. Bytes before the first CmdStart are ignored.
bool NextCommand(QByteArray& text, ParsedCommand& cmd);

// Walks the commands of a text without copying the remaining text for each command; the dispatcher's form of
// NextCommand for frames that batch thousands of commands.
class CommandReader {
public:
    explicit CommandReader(const QByteArray& text) : m_text(text) {}
    bool Next(ParsedCommand& cmd);
    qsizetype Position() const { return m_pos; }

private:
    const QByteArray& m_text;
    qsizetype m_pos = 0;
};

// Replaces each occurrence of pattern, scanning from the start and continuing after the inserted replacement,
// so a replacement is never scanned again. pattern must not be empty.
QByteArray ReplaceAll(const QByteArray& pattern, const QByteArray& replacement, const QByteArray& text);

// Free text inside a field: 0x9A <-> "©®±µ", 0x9C <-> "§¤°¬".
QByteArray EscapeField(const QByteArray& text);
QByteArray UnescapeField(const QByteArray& text);

// Removes up to 1000 "®" and then up to 1000 "©" so typed text cannot carry an escape sequence.
QByteArray StripMarks(const QByteArray& text);

// Binary data inside a field: 0xDA -> DA DA, 0x9A -> DA DB, 0x9C -> DA DC. An unknown pair decodes to "?".
QByteArray EscapeChunk(const QByteArray& data);
QByteArray UnescapeChunk(const QByteArray& data);

} // namespace korvex::net
