#include "Command.h"

namespace korvex::net {

namespace {
const QByteArray EscapedCmdStart = QByteArrayLiteral("\xA9\xAE\xB1\xB5");
const QByteArray EscapedFieldSep = QByteArrayLiteral("\xA7\xA4\xB0\xAC");
const QByteArray Empty;

// One command starting the scan at pos. Returns the position after it: the next CmdStart or the end.
bool scanCommand(const QByteArray& text, qsizetype& pos, ParsedCommand& cmd) {
    cmd.name.clear();
    for (auto& f : cmd.fields) f.clear();

    const qsizetype size = text.size();
    const char* d = text.constData();
    const char* start = static_cast<const char*>(memchr(d + pos, CmdStart, size_t(size - pos)));
    if (!start) {
        pos = size;
        return false;
    }
    qsizetype i = start - d + 1;
    int field = -1; // -1: in the name
    qsizetype runStart = i;
    auto flush = [&](qsizetype end) {
        if (end == runStart) return;
        if (field < 0)
            cmd.name.append(d + runStart, end - runStart);
        else if (field < CommandFieldCount)
            cmd.fields[size_t(field)].append(d + runStart, end - runStart);
    };
    for (; i < size; ++i) {
        const char c = d[i];
        if (c == CmdStart) break;
        if (c == FieldSep) {
            flush(i);
            ++field;
            runStart = i + 1;
        }
    }
    flush(i);
    pos = i;
    return true;
}
} // namespace

const QByteArray& ParsedCommand::field(int number) const {
    return number >= 1 && number <= CommandFieldCount ? fields[size_t(number - 1)] : Empty;
}

QByteArray MakeCommand(const QByteArray& name, std::initializer_list<QByteArray> fields) {
    qsizetype size = name.size() + 2;
    for (const auto& f : fields) size += f.size() + 1;
    QByteArray text;
    text.reserve(size);
    text.append(CmdStart).append(name).append(FieldSep);
    for (const auto& f : fields) text.append(f).append(FieldSep);
    return text;
}

bool NextCommand(QByteArray& text, ParsedCommand& cmd) {
    qsizetype pos = 0;
    const bool found = scanCommand(text, pos, cmd);
    text.remove(0, pos);
    return found;
}

bool CommandReader::Next(ParsedCommand& cmd) {
    return scanCommand(m_text, m_pos, cmd);
}

QByteArray ReplaceAll(const QByteArray& pattern, const QByteArray& replacement, const QByteArray& text) {
    if (pattern.isEmpty()) return text;
    qsizetype from = text.indexOf(pattern);
    if (from < 0) return text;
    QByteArray out;
    out.reserve(text.size() + replacement.size());
    qsizetype last = 0;
    for (; from >= 0; from = text.indexOf(pattern, last)) {
        out.append(text.constData() + last, from - last).append(replacement);
        last = from + pattern.size();
    }
    out.append(text.constData() + last, text.size() - last);
    return out;
}

QByteArray EscapeField(const QByteArray& text) {
    return ReplaceAll(QByteArray(1, FieldSep), EscapedFieldSep,
                      ReplaceAll(QByteArray(1, CmdStart), EscapedCmdStart, text));
}

QByteArray UnescapeField(const QByteArray& text) {
    return ReplaceAll(EscapedFieldSep, QByteArray(1, FieldSep),
                      ReplaceAll(EscapedCmdStart, QByteArray(1, CmdStart), text));
}

QByteArray StripMarks(const QByteArray& text) {
    // Removing "®" never changes which "©" are removed, so one pass with two budgets does both steps.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* o = out.data();
    int registered = 0, copyright = 0;
    for (const char c : text) {
        if (c == char(0xAE) && registered < 1000) {
            ++registered;
        } else if (c == char(0xA9) && copyright < 1000) {
            ++copyright;
        } else {
            *o++ = c;
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray EscapeChunk(const QByteArray& data) {
    constexpr char Esc = char(0xDA);
    QByteArray out(data.size() * 2, Qt::Uninitialized);
    char* o = out.data();
    for (const char c : data) {
        switch (c) {
        case Esc: *o++ = Esc, *o++ = Esc; break;
        case CmdStart: *o++ = Esc, *o++ = char(0xDB); break;
        case FieldSep: *o++ = Esc, *o++ = char(0xDC); break;
        default: *o++ = c;
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray UnescapeChunk(const QByteArray& data) {
    constexpr char Esc = char(0xDA);
    QByteArray out;
    out.reserve(data.size());
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != Esc || i + 1 == size) {
            out.append(c);
            continue;
        }
        switch (data[++i]) {
        case Esc: out.append(Esc); break;
        case char(0xDB): out.append(CmdStart); break;
        case char(0xDC): out.append(FieldSep); break;
        default: out.append('?');
        }
    }
    return out;
}

} // namespace korvex::net
