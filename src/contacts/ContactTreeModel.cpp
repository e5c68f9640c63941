#include "contacts/ContactTreeModel.h"

#include "contacts/BlockList.h"
#include "session/TDM.h"

namespace korvex::contacts {

namespace {
// Internal ids: 0 for a header, group row + 1 for the users of that group.
constexpr quintptr headerId = 0;
} // namespace

std::uint32_t SafeNumber(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 9) return 0;
    for (char c : text)
        if (c < '0' || c > '9') return 0;
    return std::uint32_t(text.toUInt());
}

QByteArray CountryName(const session::TDM& dm, const QByteArray& code) {
    if (SafeNumber(code) == 0) return {};
    // Digits compare the same with or without case: the table's index answers.
    const session::MemoryTable& t = dm.CountryTable;
    // Codes are stored with leading zeros ("004"); try the usual spellings, then compare numbers.
    if (t.IsEmpty()) return {};
    int row = t.Find("N", code, Qt::CaseInsensitive);
    const std::uint32_t n = SafeNumber(code);
    if (row < 0) row = t.Find("N", QByteArray::number(n).rightJustified(3, '0'), Qt::CaseInsensitive);
    if (row < 0) row = t.Find("N", QByteArray::number(n), Qt::CaseInsensitive);
    if (row >= 0) return t.ValueAt(row, "Name");
    for (int r = 0; r < t.RecordCount(); ++r)
        if (SafeNumber(t.ValueAt(r, "N")) == n) return t.ValueAt(r, "Name");
    return {};
}

QByteArray CountryCode(const session::TDM& dm, const QByteArray& name) {
    if (name.isEmpty()) return {};
    const int row = dm.CountryTable.Find("Name", name, Qt::CaseInsensitive);
    return row < 0 ? QByteArray() : dm.CountryTable.ValueAt(row, "N");
}

ContactTreeModel::ContactTreeModel(session::TDM& dm, QObject* parent)
    : QAbstractItemModel(parent), m_dm(dm) {}
ContactTreeModel::~ContactTreeModel() = default;

void ContactTreeModel::BuildGroups() {
    beginResetModel();
    m_groups.clear();
    Group online;
    online.header.Kind = "AIM";
    online.header.Name = " Online ";
    Group offline;
    offline.header.Kind = "PIM";
    offline.header.Name = " Offline ";
    m_groups = {online, offline};
    endResetModel();
}

int ContactTreeModel::groupRow(const QByteArray& kind) const {
    for (int g = 0; g < m_groups.size(); ++g)
        if (m_groups[g].header.Kind == kind) return g;
    return -1;
}

void ContactTreeModel::AddContactNode(const QByteArray& kind, const QByteArray& name,
                                      const QByteArray& contactFlag, const QByteArray& colorText) {
    const int g = groupRow(kind);
    if (g < 0 || (kind != "AIM" && kind != "PIM")) return;
    const session::MemoryTable& table = kind == "AIM" ? m_dm.AUserTable : m_dm.PUserTable;
    // The row just appended is the usual case; otherwise look the user up.
    int row = table.RecordCount() - 1;
    if (row < 0 || table.ValueAt(row, "Name").compare(name, Qt::CaseInsensitive) != 0)
        row = table.Find("Name", name, Qt::CaseInsensitive);
    if (row < 0) return;
    TIMData d;
    d.Name = table.ValueAt(row, "Name");
    d.Country = CountryName(m_dm, table.ValueAt(row, "Country"));
    d.Sex = table.ValueAt(row, "Sex");
    d.Age = table.ValueAt(row, "Age");
    d.CL = contactFlag;
    d.State = "ONLINE";
    d.Kind = kind + "U";
    d.Color = kind == "AIM" ? SafeNumber(colorText) : 0;
    const int at = int(m_groups[g].users.size());
    beginInsertRows(index(g, 0), at, at);
    m_groups[g].users.append(std::move(d));
    endInsertRows();
}

void ContactTreeModel::DeleteContactNode(const QByteArray& kind, const QByteArray& name) {
    const QByteArray userKind = kind + "U";
    for (int g = 0; g < m_groups.size(); ++g) {
        QList<TIMData>& users = m_groups[g].users;
        for (int u = 0; u < users.size(); ++u) {
            if (users[u].Kind == userKind && users[u].Name == name) {
                beginRemoveRows(index(g, 0), u, u);
                users.removeAt(u);
                endRemoveRows();
                return;
            }
        }
    }
}

void ContactTreeModel::SetContactFlag(const QByteArray& name, const QByteArray& contactFlag) {
    for (Group& group : m_groups)
        for (TIMData& d : group.users)
            if (d.Kind == "AIMU" && d.Name == name) {
                d.CL = contactFlag;
                Repaint();
                return;
            }
    Repaint();
}

void ContactTreeModel::SetContactColor(const QByteArray& name, std::uint32_t colour) {
    for (Group& group : m_groups)
        for (TIMData& d : group.users)
            if (d.Name == name) {
                d.Color = colour;
                return;
            }
}

QByteArray ContactTreeModel::ContactCaption(const QByteArray& name) const {
    return IsBlocked(m_dm, name) ? name + " [blocked]" : name;
}

QByteArray ContactTreeModel::HeaderText(const QByteArray& kind) const {
    const int count = kind == "AIM" ? m_dm.AUserTable.RecordCount() : m_dm.PUserTable.RecordCount();
    return QByteArray::number(count) + " Contact" + (count == 1 ? "" : "s") +
           (kind == "AIM" ? " Online" : " Offline");
}

void ContactTreeModel::Repaint() {
    // Counts and marks are read from the tables when rows are drawn; many presence commands in one frame need
    // one redraw, so the notice is sent once from the event loop.
    if (m_repaintQueued) return;
    m_repaintQueued = true;
    QMetaObject::invokeMethod(this, &ContactTreeModel::repaintNow, Qt::QueuedConnection);
}

void ContactTreeModel::repaintNow() {
    m_repaintQueued = false;
    for (int g = 0; g < m_groups.size(); ++g) {
        const QModelIndex h = index(g, 0);
        emit dataChanged(h, h);
        if (!m_groups[g].users.isEmpty())
            emit dataChanged(index(0, 0, h), index(int(m_groups[g].users.size()) - 1, 0, h));
    }
}

const TIMData* ContactTreeModel::Node(const QModelIndex& idx) const {
    if (!idx.isValid()) return nullptr;
    if (idx.internalId() == headerId)
        return idx.row() < m_groups.size() ? &m_groups[idx.row()].header : nullptr;
    const int g = int(idx.internalId()) - 1;
    if (g < 0 || g >= m_groups.size() || idx.row() >= m_groups[g].users.size()) return nullptr;
    return &m_groups[g].users[idx.row()];
}

QModelIndex ContactTreeModel::GroupIndex(const QByteArray& kind) const {
    const int g = groupRow(kind);
    return g < 0 ? QModelIndex() : index(g, 0);
}

int ContactTreeModel::UserCount(const QByteArray& kind) const {
    const int g = groupRow(kind);
    return g < 0 ? 0 : int(m_groups[g].users.size());
}

QList<QByteArray> ContactTreeModel::UserNames(const QByteArray& kind) const {
    QList<QByteArray> names;
    const int g = groupRow(kind);
    if (g >= 0)
        for (const TIMData& d : m_groups[g].users)
            names.append(d.Name);
    return names;
}

QModelIndex ContactTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row < m_groups.size() ? createIndex(row, 0, headerId) : QModelIndex();
    if (parent.internalId() != headerId || parent.row() >= m_groups.size()) return {};
    if (row >= m_groups[parent.row()].users.size()) return {};
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex ContactTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == headerId) return {};
    return createIndex(int(child.internalId()) - 1, 0, headerId);
}

int ContactTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return int(m_groups.size());
    if (parent.internalId() != headerId || parent.row() >= m_groups.size()) return 0;
    return int(m_groups[parent.row()].users.size());
}

int ContactTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ContactTreeModel::data(const QModelIndex& idx, int role) const {
    const TIMData* d = Node(idx);
    if (!d) return {};
    if (role == Qt::DisplayRole) {
        if (d->Kind == "AIM" || d->Kind == "PIM") return session::FromAnsi(HeaderText(d->Kind));
        return session::FromAnsi(ContactCaption(d->Name));
    }
    return {};
}

} // namespace korvex::contacts
