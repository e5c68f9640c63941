#pragma once

#include <QByteArray>
#include <QDate>

namespace korvex::server {

// Nicknames: 4 to 26 characters from a-z A-Z 0-9 _ - . (they appear in file and folder names on the clients).
bool IsValidNickname(const QByteArray& nick);
inline constexpr int MinPasswordLength = 5;
inline constexpr int MaxPasswordLength = 64;

// "Male"/"Female"/anything else -> "M"/"F"/"".
QByteArray SexFromGenderText(const QByteArray& gender);
// A country code as the clients send it: digits only, at most 9; anything else is stored as "".
QByteArray CleanCountryCode(const QByteArray& code);
// Age 0..150 from decimal text; unreadable or out of range = 0 (unknown).
int CleanAge(const QByteArray& text);
// 4 characters of "0"/"1"; anything else = "0000".
QByteArray CleanRestrictionFlags(const QByteArray& flags);

// Dates on the wire: requests send yyyymmdd, replies carry ddmmyyyy.
QDate ParseYyyymmdd(const QByteArray& text);
QByteArray ToDdmmyyyy(const QDate& date);
QByteArray ToYyyymmdd(const QDate& date);

// Case-insensitive key for nicknames (they are ASCII by rule).
inline QByteArray NickKey(const QByteArray& nick) { return nick.toLower(); }

// A plausible single e-mail address: one "@", no blanks, no control characters, no header syntax.
bool IsPlausibleEmail(const QByteArray& address);

} // namespace korvex::server

namespace korvex::server {
// Text the server composes into a field: the two reserved bytes become blanks.
QByteArray SafeField(const QByteArray& text);
} // namespace korvex::server
