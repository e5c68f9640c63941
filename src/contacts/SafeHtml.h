#pragma once

#include <QByteArray>
#include <QList>

namespace korvex::contacts {

// What a picture in a received message may point at.
struct HtmlPolicy {
    // URL prefixes of local folders whose pictures may be shown (the smiley folder, the chat's temp folder),
    // e.g. "file:///home/u/.local/share/korvex/WebPages/Images/".
    QList<QByteArray> localImagePrefixes;
};

// Message HTML from other users is untrusted. Keeps only what Korvex itself produces: b, i, u, br, font (size,
// face, color), a (href with http, https, ftp or mailto), img (src under an allowed local prefix, or http/https,
// which the view fetches through its download queue). Any other tag is shown as text; other attributes vanish.
QByteArray FilterMessageHtml(const QByteArray& html, const HtmlPolicy& policy);

// Whether a link may be opened: http, https, ftp and mailto addresses only, whatever their case.
bool IsOpenableAddress(const QByteArray& address);

} // namespace korvex::contacts
