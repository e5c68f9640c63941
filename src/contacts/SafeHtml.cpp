#include "SafeHtml.h"

#include <QByteArrayView>

#include <optional>

namespace korvex::contacts {

namespace {

struct Attribute {
    QByteArray name; // lower case
    QByteArray value;
};

struct Tag {
    bool closing = false;
    QByteArray name; // lower case
    QList<Attribute> attributes;
    qsizetype end = 0; // position after '>'
};

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool startsWithIgnoringCase(const QByteArray& text, const char* prefix) {
    const qsizetype n = qsizetype(qstrlen(prefix));
    return text.size() >= n && qstrnicmp(text.constData(), prefix, size_t(n)) == 0;
}

// Parses the tag starting at text[pos] == '<'. nullopt when it is not a well-formed tag (then it is shown as text).
std::optional<Tag> parseTag(const QByteArray& text, qsizetype pos) {
    const qsizetype size = text.size();
    qsizetype i = pos + 1;
    Tag tag;
    if (i < size && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < size && isNameChar(text[i])) ++i;
    if (i == nameStart) return std::nullopt;
    tag.name = text.mid(nameStart, i - nameStart).toLower();
    while (true) {
        while (i < size && (isSpace(text[i]) || text[i] == '/')) ++i;
        if (i >= size) return std::nullopt;
        if (text[i] == '>') {
            tag.end = i + 1;
            return tag;
        }
        const qsizetype attrStart = i;
        while (i < size && isNameChar(text[i])) ++i;
        if (i == attrStart) return std::nullopt; // a stray '<', '"' or the like inside the tag
        Attribute attr{text.mid(attrStart, i - attrStart).toLower(), {}};
        while (i < size && isSpace(text[i])) ++i;
        if (i < size && text[i] == '=') {
            ++i;
            while (i < size && isSpace(text[i])) ++i;
            if (i >= size) return std::nullopt;
            if (text[i] == '"' || text[i] == '\'') {
                const char quote = text[i];
                const qsizetype close = text.indexOf(quote, i + 1);
                if (close < 0) return std::nullopt; // broken quotes
                attr.value = text.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < size && !isSpace(text[i]) && text[i] != '>') ++i;
                attr.value = text.mid(valueStart, i - valueStart);
            }
        }
        tag.attributes << attr;
    }
}

bool allOf(const QByteArray& value, bool (*ok)(char)) {
    for (const char c : value)
        if (!ok(c)) return false;
    return true;
}

// Attribute values are re-quoted by us; these keep only characters that cannot break out of the quotes.
QByteArray quoted(const QByteArray& value) {
    QByteArray v = value;
    v.replace('"', "&quot;").replace('<', "&lt;").replace('>', "&gt;");
    return '"' + v + '"';
}

bool fontSizeChar(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-';
}
bool fontFaceChar(char c) {
    return isNameChar(c) || c == ' ' || c == ',' || quint8(c) >= 0x80;
}
bool colourChar(char c) {
    return isNameChar(c) || c == '#';
}

bool allowedImage(const QByteArray& src, const HtmlPolicy& policy) {
    if (startsWithIgnoringCase(src, "http://") || startsWithIgnoringCase(src, "https://")) return true;
    if (src.contains("..")) return false;
    for (const QByteArray& prefix : policy.localImagePrefixes)
        if (!prefix.isEmpty() && src.startsWith(prefix)) return true;
    return false;
}

QByteArray rebuild(const Tag& tag, const HtmlPolicy& policy) {
    static const QList<QByteArray> Allowed = {"b", "i", "u", "br", "font", "a", "img"};
    if (!Allowed.contains(tag.name)) return {};
    if (tag.closing) return tag.name == "br" || tag.name == "img" ? QByteArray() : "</" + tag.name + ">";
    QByteArray out = "<" + tag.name;
    for (const Attribute& a : tag.attributes) {
        bool keep = false;
        if (tag.name == "font") {
            keep = (a.name == "size" && a.value.size() <= 3 && allOf(a.value, fontSizeChar)) ||
                   (a.name == "face" && a.value.size() <= 64 && allOf(a.value, fontFaceChar)) ||
                   (a.name == "color" && a.value.size() <= 32 && allOf(a.value, colourChar));
        } else if (tag.name == "a") {
            keep = a.name == "href" && IsOpenableAddress(a.value);
        } else if (tag.name == "img") {
            keep = a.name == "src" && allowedImage(a.value, policy);
        }
        if (keep) out += " " + a.name + "=" + quoted(a.value);
    }
    if (tag.name == "img" && !out.contains(" src=")) return QByteArray(); // a picture from nowhere is dropped
    return out + ">";
}

QByteArray asText(QByteArrayView raw) {
    QByteArray out;
    out.reserve(raw.size() + 8);
    for (const char c : raw) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

} // namespace

bool IsOpenableAddress(const QByteArray& address) {
    const QByteArray a = address.trimmed();
    return startsWithIgnoringCase(a, "http://") || startsWithIgnoringCase(a, "https://") ||
           startsWithIgnoringCase(a, "ftp://") || startsWithIgnoringCase(a, "mailto:");
}

QByteArray FilterMessageHtml(const QByteArray& html, const HtmlPolicy& policy) {
    QByteArray out;
    out.reserve(html.size());
    qsizetype pos = 0;
    while (pos < html.size()) {
        const qsizetype lt = html.indexOf('<', pos);
        if (lt < 0) {
            out.append(html.constData() + pos, html.size() - pos);
            break;
        }
        out.append(html.constData() + pos, lt - pos);
        const auto tag = parseTag(html, lt);
        if (!tag) {
            out += "&lt;";
            pos = lt + 1;
            continue;
        }
        const QByteArray rebuilt = rebuild(*tag, policy);
        if (!rebuilt.isEmpty() || tag->name == "img" || tag->name == "br")
            out += rebuilt;
        else
            out += asText(QByteArrayView(html).sliced(lt, tag->end - lt));
        pos = tag->end;
    }
    return out;
}

} // namespace korvex::contacts
