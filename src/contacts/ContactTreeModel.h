#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QList>
#include <cstdint>
#include <memory>

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// What each node of the contact tree carries.
struct TIMData {
    QByteArray Name;    // nickname; " " + header text + " " for the two group headers
    QByteArray Country; // country name
    QByteArray Sex;
    QByteArray Age;
    QByteArray Kind;         // "AIM" / "PIM" headers, "AIMU" online user, "PIMU" offline contact
    QByteArray CL;           // "1" when on the own contact list
    QByteArray State;        // "ONLINE" on every user node
    std::uint32_t Color = 0; // nickname colour of online users; 0 = the skin's online colour
};

// The country name of a numeric code: digits only, at most 9 of them and above 0, else (or without a row)
// empty.
QByteArray CountryName(const session::TDM& dm, const QByteArray& code);
// The code of a country name (ignoring case), empty when none.
QByteArray CountryCode(const session::TDM& dm, const QByteArray& name);
// Digits only and at most 9 of them: the value; else 0.
std::uint32_t SafeNumber(const QByteArray& text);

// The contact tree: two headers (online, offline) with users appended in arrival order, never sorted. Names
// inside the tree match exactly; the data module's tables are searched ignoring case. The model reads the
// tables when it draws (counts, status images, blocked marks), so repainting after a table change is enough.
class ContactTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Roles { NodeRole = Qt::UserRole + 1 };

    explicit ContactTreeModel(session::TDM& dm, QObject* parent = nullptr);
    ~ContactTreeModel() override;

    // Empties the tree and appends the online and offline headers.
    void BuildGroups();
    bool HasGroups() const { return m_groups.size() == 2; }

    void AddContactNode(const QByteArray& kind, const QByteArray& name, const QByteArray& contactFlag,
                        const QByteArray& colorText);
    void DeleteContactNode(const QByteArray& kind, const QByteArray& name);
    void SetContactFlag(const QByteArray& name, const QByteArray& contactFlag);
    void SetContactColor(const QByteArray& name, std::uint32_t colour);
    // The name, followed by " [blocked]" when it is on the block list.
    QByteArray ContactCaption(const QByteArray& name) const;
    // "N Contacts Online" / "1 Contact Online" / "N Contacts Offline".
    QByteArray HeaderText(const QByteArray& kind) const;
    // Tells the views to redraw every row (counts and marks come from the tables).
    void Repaint();

    // nullptr for an invalid index.
    const TIMData* Node(const QModelIndex& index) const;
    QModelIndex GroupIndex(const QByteArray& kind) const;
    int UserCount(const QByteArray& kind) const;
    QList<QByteArray> UserNames(const QByteArray& kind) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Group {
        TIMData header;
        QList<TIMData> users;
    };
    int groupRow(const QByteArray& kind) const;
    void repaintNow();
    bool m_repaintQueued = false;
    session::TDM& m_dm;
    QList<Group> m_groups;
};

} // namespace korvex::contacts
