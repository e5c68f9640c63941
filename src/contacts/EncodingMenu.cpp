#include "contacts/EncodingMenu.h"

#include "contacts/ChatView.h"
#include "platform/CodePage.h"
#include "session/TDM.h"

#include <QMenu>
#include <iterator>

namespace korvex::contacts {

namespace {
constexpr CharsetEntry charsets[] = {
    {"Arabic", 178},     {"Baltic", 186}, {"Chinese", 136}, {"Default", 1}, {"Easteurope", 238},
    {"Greek", 161},      {"Hebrew", 177}, {"Russian", 204}, {"Thai", 222},  {"Turkish", 162},
    {"Vietnamese", 163}, {"ANSI", 0},     {"OEM", 255}};
} // namespace

const CharsetEntry* CharsetEntries(int* count) {
    *count = int(std::size(charsets));
    return charsets;
}

bool IsTickedCharset(const CharsetEntry& entry, int current) {
    return entry.number == current && entry.number != 0 && entry.number != 255;
}

QMenu* EncodingMenu(QWidget* parent, int current, std::function<void(int)> choose) {
    auto* menu = new QMenu("Encoding", parent);
    for (const CharsetEntry& e : charsets) {
        QAction* a = menu->addAction(e.caption);
        a->setCheckable(true);
        a->setChecked(IsTickedCharset(e, current));
        QObject::connect(a, &QAction::triggered, menu, [choose, n = e.number] { choose(n); });
    }
    return menu;
}

QByteArray EncodeWithCharset(const QString& text, int charset) {
    const QByteArray codePage = CodePageOfCharset(charset);
    if (codePage.isEmpty()) return session::ToAnsi(text);
    return platform::EncodeCodePage(text, codePage.constData());
}

} // namespace korvex::contacts
