#include "voice/ReverbPresets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace korvex::voice {

namespace {

const QByteArray Prefix = QByteArrayLiteral("Reverb.");
const QByteArray Eol = QByteArrayLiteral("\r\n");

struct DefaultPreset {
    const char* name;
    int feedBack;
    std::vector<std::pair<int, int>> taps; // gain INT_MIN: the tap has no gain line
    const char* inputPan = "0";
};
constexpr int NoGain = INT32_MIN;

const std::vector<DefaultPreset>& defaults() {
    static const std::vector<DefaultPreset> list = {
        {"Distance Echo", 75, {{160, 30}, {300, 50}}},
        {"Air Duct Reverb", 60, {{20, 18}, {40, -48}, {50, 58}, {90, 13}}},
        {"Alien 1", 47, {{10, 47}, {28, -27}, {55, 42}}},
        {"Alien 2", 47, {{10, 47}, {28, -27}, {55, 42}, {14, 47}, {12, 16}}},
        {"Bass Bost", 0, {{0, 60}}},
        {"Heavy Bass Boost", -10, {{0, 150}}},
        {"Cathedral 1", -47, {{100, 16}, {150, -20}, {200, 36}, {250, -20}, {300, -24}}},
        {"Cathedral 2",
         24,
         {{100, 17}, {150, -24}, {200, 27}, {250, -20}, {300, -24}, {400, 16}, {500, -13}, {700, 6}}},
        {"Simple Echo", 0, {{150, 63}}},
        {"Long Echo", 50, {{350, -50}}},
        {"Alpia Echo", 0, {{750, 62}}},
        {"Strange FeedBack 1", 63, {{10, -66}, {11, 75}}},
        {"Strange FeedBack 2", 55, {{10, -56}, {11, 63}, {12, -40}}},
        {"Strange FeedBack 3", 62, {{15, -66}, {16, 64}}},
        {"FeedBack Overload", 78, {{100, 39}, {150, NoGain}, {200, 42}, {250, -23}}},
        {"Hagel",
         31,
         {{50, 20}, {70, -8}, {100, 14}, {120, -6}, {140, 22}, {150, -5}, {160, 16}, {170, -2}},
         "01"},
        {"Hall Reverb", 30, {{100, -15}, {120, 30}, {140, -35}, {175, 30}, {200, 20}}},
        {"Hall Reverb Big", 86, {{42, 16}, {79, -19}, {107, 24}, {157, -27}, {163, -28}}},
        {"Very Big Hall", 40, {{20, 42}, {20, -36}, {49, 31}, {160, 34}, {980, 16}}},
        {"Metallic Reverb", 60, {{30, 30}, {40, -25}, {50, 25}, {80, 25}}},
        {"Reverb 1", 13, {{50, -70}, {75, 31}, {100, 40}}},
        {"Reverb 2", -16, {{50, -70}, {75, 31}, {100, 40}, {25, 13}, {90, -16}}},
        {"Room Reverb", 35, {{5, 20}, {20, -30}, {30, -20}, {40, 40}}},
        {"Big Room", 16, {{40, -17}, {60, 8}, {100, 3}, {140, 33}, {160, 27}, {170, 31}}},
    };
    return list;
}

QByteArray num(int v) {
    return QByteArray::number(v);
}

bool isSectionLine(const QByteArray& trimmed) {
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

QByteArray sectionOf(const QByteArray& trimmed) {
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int toInt(const QByteArray& v, int fallback) {
    bool ok = false;
    const int n = v.trimmed().toInt(&ok);
    return ok ? n : fallback;
}

// [first, last) line range of the section (header included); first == -1 when absent.
std::pair<int, int> findSection(const QList<QByteArray>& lines, const QByteArray& section) {
    int first = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (!isSectionLine(t)) continue;
        if (first >= 0) return {first, i};
        if (sameName(sectionOf(t), section)) first = i;
    }
    return {first, int(lines.size())};
}

} // namespace

ReverbPresetFile::ReverbPresetFile(QString path) : m_path(std::move(path)) {}

QString ReverbPresetFile::PathIn(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("Data/Reverb.ini"));
}

bool ReverbPresetFile::Exists() const {
    return QFileInfo(m_path).isFile();
}

QByteArray ReverbPresetFile::SectionName(const QByteArray& name) {
    QByteArray n = name.trimmed();
    if (n.size() >= Prefix.size() && sameName(n.left(Prefix.size()), Prefix)) n = n.mid(Prefix.size());
    return Prefix + n;
}

QList<QByteArray> ReverbPresetFile::FormatSection(const QByteArray& section, const ReverbPreset& p,
                                                  const QByteArray& inputPanText) {
    QList<QByteArray> out;
    out << "[" + section + "]"
        << "MaxDelay=" + num(p.maxDelay) << "InputGain=" + num(p.inputGain)
        << "InputPan=" + (inputPanText.isEmpty() ? num(p.inputPan) : inputPanText)
        << "OutputGain=" + num(p.outputGain) << "FeedBack=" + num(p.feedBack) << "Filter=" + num(p.filter);
    for (std::size_t i = 0; i < p.taps.size(); ++i) {
        out << "Delay" + num(int(i)) + "=" + num(p.taps[i].delayMs);
        out << "Gain" + num(int(i)) + "=" + num(p.taps[i].gainPercent);
    }
    return out;
}

QByteArray ReverbPresetFile::DefaultContents() {
    QByteArray text;
    bool first = true;
    for (const DefaultPreset& d : defaults()) {
        if (!first) text += Eol;
        first = false;
        ReverbPreset p;
        p.feedBack = d.feedBack;
        QList<QByteArray> lines = FormatSection(Prefix + d.name, p, d.inputPan);
        for (std::size_t i = 0; i < d.taps.size(); ++i) {
            lines << "Delay" + num(int(i)) + "=" + num(d.taps[i].first);
            if (d.taps[i].second != NoGain) lines << "Gain" + num(int(i)) + "=" + num(d.taps[i].second);
        }
        for (const QByteArray& l : lines)
            text += l + Eol;
    }
    return text;
}

bool ReverbPresetFile::WriteDefaults(QString* error) const {
    QList<QByteArray> lines = DefaultContents().split('\n');
    lines.removeLast(); // the text ends with a line end
    for (QByteArray& l : lines)
        l.chop(1);
    return writeLines(lines, error);
}

QList<QByteArray> ReverbPresetFile::readLines(bool* ok) const {
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok) *ok = false;
        return {};
    }
    if (ok) *ok = true;
    // Preset files are small; anything past 1 MiB is not one of ours.
    QList<QByteArray> lines = f.read(1 << 20).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r')) l.chop(1);
    return lines;
}

bool ReverbPresetFile::writeLines(const QList<QByteArray>& lines, QString* error) const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    for (const QByteArray& l : lines)
        f.write(l + Eol);
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

QList<QByteArray> ReverbPresetFile::List() const {
    QList<QByteArray> names;
    for (const QByteArray& l : readLines()) {
        const QByteArray t = l.trimmed();
        if (!isSectionLine(t)) continue;
        const QByteArray s = sectionOf(t);
        if (s.size() > Prefix.size() && sameName(s.left(Prefix.size()), Prefix))
            names << s.mid(Prefix.size());
    }
    return names;
}

ReverbPreset ReverbPresetFile::ParseSection(const QList<QByteArray>& lines) {
    QList<std::pair<QByteArray, QByteArray>> kv;
    for (const QByteArray& l : lines) {
        const qsizetype eq = l.indexOf('=');
        if (eq <= 0) continue;
        kv.append({l.left(eq).trimmed().toLower(), l.mid(eq + 1)});
    }
    auto value = [&](const QByteArray& key) -> std::optional<QByteArray> {
        for (const auto& [k, v] : kv)
            if (k == key) return v;
        return std::nullopt;
    };
    ReverbPreset p;
    auto get = [&](const char* key, int& field) {
        if (auto v = value(key)) field = toInt(*v, field);
    };
    get("maxdelay", p.maxDelay);
    get("inputgain", p.inputGain);
    get("inputpan", p.inputPan);
    get("outputgain", p.outputGain);
    get("feedback", p.feedBack);
    get("filter", p.filter);
    // Taps run from Delay0 up to the first missing index; a tap without a gain line has gain 0.
    for (int i = 0; i < 64; ++i) {
        const auto d = value("delay" + num(i));
        if (!d) break;
        ReverbTap t;
        t.delayMs = toInt(*d, 0);
        if (const auto g = value("gain" + num(i))) t.gainPercent = toInt(*g, 0);
        p.taps.push_back(t);
    }
    return p;
}

std::optional<ReverbPreset> ReverbPresetFile::Load(const QByteArray& name) const {
    const QList<QByteArray> lines = readLines();
    const auto [first, last] = findSection(lines, SectionName(name));
    if (first < 0) return std::nullopt;
    return ParseSection(lines.mid(first + 1, last - first - 1));
}

bool ReverbPresetFile::Save(const QByteArray& name, const ReverbPreset& preset, QString* error) const {
    QList<QByteArray> lines = readLines();
    const QByteArray section = SectionName(name);
    QList<QByteArray> body = FormatSection(section, preset);
    auto [first, last] = findSection(lines, section);
    if (first < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QByteArray();
        lines << body;
    } else {
        // Keep the blank line that separates this section from the next one.
        int end = last;
        while (end > first + 1 && lines[end - 1].trimmed().isEmpty())
            --end;
        if (end < last) body << lines.mid(end, last - end);
        lines = lines.mid(0, first) + body + lines.mid(last);
    }
    return writeLines(lines, error);
}

bool ReverbPresetFile::Delete(const QByteArray& name, QString* error) const {
    bool ok = false;
    QList<QByteArray> lines = readLines(&ok);
    if (!ok) return true;
    const auto [first, last] = findSection(lines, SectionName(name));
    if (first < 0) return true;
    lines = lines.mid(0, first) + lines.mid(last);
    // No blank line left dangling at the end of the file.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return writeLines(lines, error);
}

} // namespace korvex::voice
