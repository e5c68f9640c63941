#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace korvex::formats {

// Text files of lines (opt.dat, font.dat, addr.dat, EchoPreset.dat). Lines end in CR LF when written; reading
// accepts CR LF, LF or a lone CR, and a final line terminator does not add an empty line.
std::optional<QList<QByteArray>> ReadLines(const QString& path);
QList<QByteArray> SplitLines(const QByteArray& text);
bool WriteLines(const QString& path, const QList<QByteArray>& lines);

// Value of a field that holds 1 to 9 decimal digits and nothing else; 0 otherwise.
int SafeNumber(const QByteArray& text);

} // namespace korvex::formats
