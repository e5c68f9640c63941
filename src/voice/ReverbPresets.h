#pragma once

#include "voice/Reverb.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace korvex::voice {

// The preset file "Data/Reverb.ini": one section "[Reverb.<name>]" per preset. Names are bytes in the ANSI
// code page; a name given with or without the "Reverb." prefix names the same section, compared without
// regard to case as Windows INI files are. Lines end in CR LF as the file has always been written.
class ReverbPresetFile {
public:
    explicit ReverbPresetFile(QString path);
    static QString PathIn(const QString& programDir); // "<programDir>/Data/Reverb.ini"

    const QString& path() const { return m_path; }
    bool Exists() const;
    // The 24 presets every installation starts with, as the file's bytes.
    static QByteArray DefaultContents();
    bool WriteDefaults(QString* error = nullptr) const;

    // Preset names without the prefix, in file order.
    QList<QByteArray> List() const;
    // nullopt when the file or the section does not exist.
    std::optional<ReverbPreset> Load(const QByteArray& name) const;
    // Replaces the section in place or appends it; other sections keep their bytes.
    bool Save(const QByteArray& name, const ReverbPreset& preset, QString* error = nullptr) const;
    bool Delete(const QByteArray& name, QString* error = nullptr) const;

    static QByteArray SectionName(const QByteArray& name); // "Reverb." + name without a prefix
    static ReverbPreset ParseSection(const QList<QByteArray>& lines);
    static QList<QByteArray> FormatSection(const QByteArray& section, const ReverbPreset& preset,
                                           const QByteArray& inputPanText = {});

private:
    QList<QByteArray> readLines(bool* ok = nullptr) const;
    bool writeLines(const QList<QByteArray>& lines, QString* error) const;

    QString m_path;
};

} // namespace korvex::voice
