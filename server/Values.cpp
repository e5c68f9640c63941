#include "Values.h"

#include <algorithm>

namespace korvex::server {

bool IsValidNickname(const QByteArray& nick) {
    if (nick.size() < 4 || nick.size() > 26) return false;
    return std::all_of(nick.begin(), nick.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.';
    });
}

QByteArray SexFromGenderText(const QByteArray& gender) {
    if (gender == "Male") return "M";
    if (gender == "Female") return "F";
    return {};
}

QByteArray CleanCountryCode(const QByteArray& code) {
    const QByteArray t = code.trimmed();
    if (t.isEmpty() || t.size() > 9) return {};
    return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) ? t : QByteArray();
}

int CleanAge(const QByteArray& text) {
    bool ok = false;
    const int age = text.trimmed().toInt(&ok);
    return ok && age >= 0 && age <= 150 ? age : 0;
}

QByteArray CleanRestrictionFlags(const QByteArray& flags) {
    if (flags.size() != 4) return "0000";
    return std::all_of(flags.begin(), flags.end(), [](char c) { return c == '0' || c == '1'; }) ? flags : "0000";
}

QDate ParseYyyymmdd(const QByteArray& text) {
    if (text.size() != 8) return {};
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMdd"));
}

QByteArray ToDdmmyyyy(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("ddMMyyyy")).toLatin1() : QByteArray();
}

QByteArray ToYyyymmdd(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")).toLatin1() : QByteArray();
}

bool IsPlausibleEmail(const QByteArray& address) {
    if (address.size() < 3 || address.size() > 254) return false;
    if (address.count('@') != 1) return false;
    const qsizetype at = address.indexOf('@');
    if (at == 0 || at == address.size() - 1) return false;
    return std::all_of(address.begin(), address.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 32 && u < 127 && c != '<' && c != '>' && c != ',' && c != ';' && c != '"' && c != '\\' &&
               c != '(' && c != ')';
    });
}

} // namespace korvex::server

namespace korvex::server {
QByteArray SafeField(const QByteArray& text) {
    QByteArray out = text;
    for (char& c : out)
        if (c == char(0x9A) || c == char(0x9C)) c = ' ';
    return out;
}
} // namespace korvex::server
