#include "contacts/BlockList.h"

#include "net/TBBClient.h"
#include "session/TDM.h"

namespace korvex::contacts {

QList<QByteArray> BlockListNames(const QByteArray& text) {
    QList<QByteArray> names;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf("\r\n", from);
        if (end < 0) end = text.size();
        const QByteArray name = text.mid(from, end - from);
        if (!name.isEmpty()) names.append(name);
        from = end + 2;
    }
    return names;
}

bool IsBlocked(const QByteArray& blockListText, const QByteArray& name) {
    if (name.isEmpty()) return false;
    for (const QByteArray& n : BlockListNames(blockListText))
        if (n.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool IsBlocked(const session::TDM& dm, const QByteArray& name) {
    return IsBlocked(dm.BlockListText, name);
}

void SetBlocked(session::TDM& dm, const QByteArray& name, bool add) {
    session::MemoryTable& t = dm.BlockedUsers;
    const int row = t.Find("Name", name, Qt::CaseInsensitive);
    if (add && row < 0 && !name.isEmpty())
        t.Append({{"Name", name}});
    else if (!add && row >= 0)
        t.DeleteRow(row);
    const QByteArray current = t.Eof() ? QByteArray() : t.Value("Name");
    QByteArray text;
    for (int r = 0; r < t.RecordCount(); ++r)
        text += t.ValueAt(r, "Name") + "\r\n";
    if (!current.isEmpty()) t.Locate("Name", current, Qt::CaseInsensitive);
    dm.BlockListText = text;
    if (dm.MainClient && dm.MainClient->Active()) dm.SendCmd("SetBList", {text});
}

void LoadBlockList(session::TDM& dm, const QByteArray& text) {
    dm.BlockedUsers.Clear();
    dm.BlockListText = text;
    for (const QByteArray& name : BlockListNames(text))
        if (dm.BlockedUsers.Find("Name", name, Qt::CaseInsensitive) < 0)
            dm.BlockedUsers.Append({{"Name", name}});
}

} // namespace korvex::contacts
