#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace korvex::contacts {

struct SmileyCode {
    QByteArray code;
    int picture = 0; // 1..133
};

// The smiley codes and their pictures, built once at start-up from the smiley folder: each "SmileN.dat" gives the
// code of picture N on its first line and a hint on its second; a few classic codes are always known.
class SmileyTable {
public:
    static constexpr int PictureCount = 133;

    // imagesDir: the program's "WebPages/Images" folder; webHost: where missing pictures are fetched from.
    SmileyTable(const QString& imagesDir, const QByteArray& webHost);

    // Longest codes first, so ":-p" wins over ":p".
    const QList<SmileyCode>& SmileyCodes() const { return m_codes; }
    QByteArray Hint(int picture) const { return m_hints.value(picture); }

    // The image tag of picture "Smile" + n: the local file when present, else the web host's copy.
    QByteArray ImageTag(int picture) const;

    // Replaces "|n|" picture codes and every table code (the longest that matches) by image tags, in the text
    // between tags.
    QByteArray ExpandSmileys(const QByteArray& html) const;

private:
    QString m_imagesDir;
    QByteArray m_webHost;
    QHash<QString, QString> m_filesByLowerName; // existing files, found whatever the case of their names
    QList<SmileyCode> m_codes;
    QHash<int, QByteArray> m_hints;
    QList<QByteArray> m_tags; // index = picture number
};

} // namespace korvex::contacts
