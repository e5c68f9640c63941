#include "rooms/TListForm.h"

#include "net/Command.h"
#include "net/TBBClient.h"
#include "platform/WindowPlacement.h"
#include "rooms/ColourItems.h"
#include "rooms/Rooms.h"
#include "rooms/TChatForm.h"
#include "rooms/TNewRForm.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvex::rooms {

using session::FromAnsi;
using session::ToAnsi;

namespace {

constexpr char LeaveQuestion[] = "Are you sure you want to leave this room and join the new one?";

QTableWidget* makeGrid(QWidget* parent, const QStringList& titles, const QList<int>& widths) {
    auto* grid = new QTableWidget(0, int(titles.size()), parent);
    grid->setHorizontalHeaderLabels(titles);
    for (int i = 0; i < widths.size(); ++i)
        grid->setColumnWidth(i, widths[i]);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    return grid;
}

QTableWidgetItem* nameItem(const QByteArray& name, int colour) {
    auto* item = new QTableWidgetItem(FromAnsi(name));
    item->setData(ColourRole, quint32(colour));
    return item;
}

QIcon lockIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawArc(4, 1, 8, 9, 0, 180 * 16);
    p.fillRect(3, 7, 10, 8, QColor(200, 160, 0));
    return QIcon(pm);
}

} // namespace

TListForm::TListForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    setWindowTitle("Groups");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(500, 400);

    GroupsGrid = makeGrid(this, {"Groups", "Rooms"}, {410, 44});
    GroupsGrid->setObjectName("GroupsGrid");
    GroupsGrid->setItemDelegateForColumn(0, new ColourItemDelegate(GroupsGrid));
    RoomsGrid = makeGrid(this, {"", "Room Name", "Users"}, {16, 385, 65});
    RoomsGrid->setObjectName("RoomsGrid");
    RoomsGrid->setItemDelegateForColumn(1, new ColourItemDelegate(RoomsGrid));
    RoomsGrid->hide();
    connect(GroupsGrid, &QTableWidget::cellDoubleClicked, this, [this] { Join(); });
    connect(RoomsGrid, &QTableWidget::cellDoubleClicked, this, [this] { Join(); });

    auto* joinButton = new QPushButton("Join", this);
    connect(joinButton, &QPushButton::clicked, this, &TListForm::Join);
    auto* refresh = new QPushButton("Refresh", this);
    connect(refresh, &QPushButton::clicked, this, &TListForm::Refresh);
    auto* groups = new QPushButton("Groups", this);
    connect(groups, &QPushButton::clicked, this, &TListForm::BackToGroups);
    CreateButton = new QPushButton("Create", this);
    CreateButton->hide();
    connect(CreateButton, &QPushButton::clicked, this, &TListForm::Create);
    InvBox = new QCheckBox("Invisible", this);

    PassPanel = new QWidget(this);
    PassPanel->setAutoFillBackground(true);
    auto* passLayout = new QFormLayout(PassPanel);
    passLayout->addRow(new QLabel("Enter Pasword", PassPanel));
    PassEdit = new QLineEdit(PassPanel);
    PassEdit->setEchoMode(QLineEdit::Password);
    passLayout->addRow("Password:", PassEdit);
    auto* passOk = new QPushButton("OK", PassPanel);
    auto* passClose = new QPushButton("Close", PassPanel);
    passLayout->addRow(passOk, passClose);
    connect(passOk, &QPushButton::clicked, this, &TListForm::PassOk);
    connect(PassEdit, &QLineEdit::returnPressed, this, &TListForm::PassOk);
    connect(passClose, &QPushButton::clicked, PassPanel, &QWidget::hide);
    PassPanel->hide();

    NewPanel = new QWidget(this);
    NewPanel->setAutoFillBackground(true);
    auto* newLayout = new QFormLayout(NewPanel);
    newLayout->addRow(new QLabel("Create New Room", NewPanel));
    NameEdit = new QLineEdit(NewPanel);
    newLayout->addRow("Room Name:", NameEdit);
    LockBox = new QCheckBox("Locked", NewPanel);
    newLayout->addRow(LockBox);
    NewPassEdit = new QLineEdit(NewPanel);
    newLayout->addRow("Password:", NewPassEdit);
    PBox = new QCheckBox("Permanent Room", NewPanel);
    newLayout->addRow(PBox);
    CodeEdit = new QLineEdit(NewPanel);
    newLayout->addRow("Admin Code:", CodeEdit);
    BannerUrlEdit = new QLineEdit(NewPanel);
    newLayout->addRow("Banner Image URL:", BannerUrlEdit);
    BannerClickEdit = new QLineEdit(NewPanel);
    newLayout->addRow("Banner Click URL:", BannerClickEdit);
    auto* newOk = new QPushButton("OK", NewPanel);
    auto* newClose = new QPushButton("Close", NewPanel);
    newLayout->addRow(newOk, newClose);
    connect(newOk, &QPushButton::clicked, this, &TListForm::NewOk);
    connect(NameEdit, &QLineEdit::returnPressed, this, &TListForm::NewOk);
    connect(newClose, &QPushButton::clicked, NewPanel, &QWidget::hide);
    connect(LockBox, &QCheckBox::toggled, this, &TListForm::lockChanged);
    lockChanged();
    NewPanel->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(joinButton);
    buttons->addWidget(refresh);
    buttons->addWidget(groups);
    buttons->addWidget(CreateButton);
    buttons->addStretch();
    buttons->addWidget(InvBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupsGrid, 1);
    layout->addWidget(RoomsGrid, 1);
    layout->addLayout(buttons);
    layout->addWidget(PassPanel);
    layout->addWidget(NewPanel);
}

TListForm::~TListForm() = default;

TListForm* TListForm::Open(session::TDM& dm) {
    if (Ui().NewRForm) Ui().NewRForm->close();
    if (!Ui().ListForm) Ui().ListForm = new TListForm(dm);
    TListForm* f = Ui().ListForm;
    f->show();
    f->raise();
    return f;
}

void TListForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const bool paid = m_dm.UserType == "1" || m_dm.UserType == "2" || m_dm.UserType == "3";
    BannerUrlEdit->setEnabled(paid);
    BannerClickEdit->setEnabled(paid);
    GroupsTable.Clear();
    GroupsGrid->setRowCount(0);
    m_dm.SendCmd("GetGroups", {m_dm.OwnNick});
    if (const QScreen* screen = this->screen())
        setGeometry(platform::KeepInsideWorkArea(geometry(), screen->availableGeometry()));
    InvBox->setVisible(m_dm.UserType == "3" || m_dm.UserType == "2");
}

void TListForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        RoomsGrid->hide();
        GroupsGrid->show();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (GroupsGrid->hasFocus() || RoomsGrid->hasFocus())) {
        Join();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TListForm::AddGroup(const QByteArray& name, const QByteArray& rooms, int colour, bool noUserRooms) {
    if (GroupsTable.Find("Name", name, Qt::CaseSensitive) >= 0) return;
    GroupsTable.Append({{"Name", name},
                        {"Groups", rooms},
                        {"GroupColour", QByteArray::number(colour)},
                        {"NoUserRooms", noUserRooms ? "1" : "0"}});
    const int row = GroupsGrid->rowCount();
    GroupsGrid->insertRow(row);
    GroupsGrid->setItem(row, 0, nameItem(name, colour));
    GroupsGrid->setItem(row, 1, new QTableWidgetItem(FromAnsi(rooms)));
    GroupsTable.First();
    if (GroupsGrid->currentRow() < 0) GroupsGrid->selectRow(0);
}

void TListForm::AddRoom(const QByteArray& name, const QByteArray& users, const QByteArray& lock,
                        const QByteArray& status, int colour) {
    if (name != "NO" && !name.isEmpty() && RoomsTable.Find("Name", name, Qt::CaseSensitive) < 0) {
        RoomsTable.Append({{"Name", name},
                           {"Users", users},
                           {"Lock", lock},
                           {"Status", status},
                           {"RoomColour", QByteArray::number(colour)}});
        const int row = RoomsGrid->rowCount();
        RoomsGrid->insertRow(row);
        auto* lockItem = new QTableWidgetItem;
        if (lock == "1") lockItem->setIcon(lockIcon());
        RoomsGrid->setItem(row, 0, lockItem);
        RoomsGrid->setItem(row, 1, nameItem(name, colour));
        RoomsGrid->setItem(row, 2, new QTableWidgetItem(FromAnsi(users)));
        RoomsTable.First();
        if (RoomsGrid->currentRow() < 0) RoomsGrid->selectRow(0);
    }
    CreateButton->show();
    GroupsGrid->hide();
    RoomsGrid->show();
}

void TListForm::HideNewPanel() {
    NewPanel->hide();
}

QByteArray TListForm::CurrentGroup() const {
    return m_group;
}

QByteArray TListForm::SelectedRoom() const {
    const int row = RoomsGrid->currentRow();
    return row >= 0 ? RoomsTable.ValueAt(row, "Name") : QByteArray();
}

QByteArray TListForm::NewRoomPassword() const {
    return LockBox->isChecked() ? ToAnsi(NewPassEdit->text()) : QByteArray();
}

bool TListForm::RoomsShown() const {
    return !RoomsGrid->isHidden();
}

void TListForm::SelectGroup(int row) {
    GroupsGrid->selectRow(row);
    GroupsGrid->setCurrentCell(row, 0);
}

void TListForm::SelectRoom(int row) {
    RoomsGrid->selectRow(row);
    RoomsGrid->setCurrentCell(row, 1);
}

QByteArray TListForm::invisibleFlag() const {
    return InvBox->isVisible() && InvBox->isChecked() ? "1" : "0";
}

bool TListForm::leaveCurrentRoomFor(const QByteArray& room, bool askEvenIfSame) {
    TChatForm* current = TChatForm::Current(m_dm);
    if (!current) return true;
    if (!askEvenIfSame && current->Room().compare(room, Qt::CaseInsensitive) == 0) return false;
    if (!session::Dialogs().Ask(session::DialogKind::Confirmation, LeaveQuestion)) return false;
    current->Leave();
    return true;
}

void TListForm::sendJoin(const QByteArray& password) {
    m_dm.SendCmd("JoinRoom", {m_dm.OwnNick, m_group, SelectedRoom(), password, invisibleFlag()});
}

void TListForm::Join() {
    if (!RoomsShown()) {
        const int row = GroupsGrid->currentRow();
        if (row < 0) return;
        m_group = GroupsTable.ValueAt(row, "Name");
        GroupsTable.SetRecNo(row);
        setWindowTitle("Groups - " + FromAnsi(m_group));
        RoomsTable.Clear();
        RoomsGrid->setRowCount(0);
        m_dm.SendCmd("GetRooms", {m_group});
        return;
    }
    const int row = RoomsGrid->currentRow();
    if (row < 0) return;
    const QByteArray room = RoomsTable.ValueAt(row, "Name");
    if (TChatForm* current = TChatForm::Current(m_dm))
        if (current->Room().compare(room, Qt::CaseInsensitive) == 0) return;
    if (RoomsTable.ValueAt(row, "Lock") == "1") {
        PassEdit->clear();
        PassPanel->show();
        PassEdit->setFocus();
        return;
    }
    if (!leaveCurrentRoomFor(room, true)) return;
    m_dm.RoomPassword.clear();
    m_dm.RoomAdminCode.clear();
    sendJoin({});
}

void TListForm::PassOk() {
    const QByteArray room = SelectedRoom();
    if (!leaveCurrentRoomFor(room, false)) return;
    const QByteArray password = ToAnsi(PassEdit->text());
    m_dm.RoomPassword = password;
    m_dm.RoomAdminCode.clear();
    sendJoin(password);
    PassPanel->hide();
}

void TListForm::Refresh() {
    if (RoomsShown()) {
        RoomsTable.Clear();
        RoomsGrid->setRowCount(0);
        m_dm.SendCmd("GetRooms", {m_group});
    } else {
        GroupsTable.Clear();
        GroupsGrid->setRowCount(0);
        m_dm.SendCmd("GetGroups", {m_dm.OwnNick});
    }
}

void TListForm::BackToGroups() {
    RoomsGrid->hide();
    GroupsGrid->show();
    CreateButton->hide();
}

void TListForm::Create() {
    const int row = GroupsTable.Find("Name", m_group, Qt::CaseSensitive);
    const bool noUserRooms = row >= 0 && GroupsTable.ValueAt(row, "NoUserRooms") == "1";
    if (noUserRooms && m_dm.UserType != "2" && m_dm.UserType != "3") {
        session::ShowMessage(session::DialogKind::Warning,
                             "User rooms may not be created within the group \"" + FromAnsi(m_group) + "\"");
        return;
    }
    CodeEdit->setEnabled(true);
    PBox->setVisible(m_dm.UserType == "3");
    if (PBox->isHidden()) PBox->setChecked(false);
    NewPanel->show();
    NameEdit->setFocus();
}

void TListForm::lockChanged() {
    NewPassEdit->setEnabled(LockBox->isChecked());
    NewPassEdit->setStyleSheet(LockBox->isChecked() ? QString() : QStringLiteral("background: #C0C0C0"));
}

void TListForm::NewOk() {
    const QByteArray name = ToAnsi(NameEdit->text());
    if (name.isEmpty()) return;
    // A locked room without a password could never be entered; refuse it as the creation window does.
    if (LockBox->isChecked() && NewPassEdit->text().isEmpty()) {
        session::ShowMessage(session::DialogKind::Information, session::LangText(34));
        return;
    }
    if (!m_dm.MainClient || !m_dm.MainClient->Active()) return;
    m_dm.SendCmd("NewRoom", {m_group, name, NewRoomPassword(), m_dm.OwnNick, PBox->isChecked() ? "1" : "0",
                             ToAnsi(CodeEdit->text())});
    const QByteArray banner = ToAnsi(BannerUrlEdit->text());
    if (!banner.isEmpty())
        m_dm.SendCmd("SetRoomBanner",
                     {name, net::EscapeField(banner), net::EscapeField(ToAnsi(BannerClickEdit->text())), {}});
}

} // namespace korvex::rooms
