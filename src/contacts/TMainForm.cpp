#include "contacts/TMainForm.h"

#include "contacts/BlockList.h"
#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "contacts/TAddForm.h"
#include "contacts/TBlockForm.h"
#include "contacts/TInviteFriendForm.h"
#include "contacts/TMsgForm.h"
#include "contacts/UiHelpers.h"
#include "net/TBBClient.h"
#include "platform/AppPaths.h"
#include "platform/Timer.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"
#include "session/TResForm.h"
#include "session/TSetupForm.h"

#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtEndian>

namespace korvex::contacts {

using session::DialogKind;

// ---------------------------------------------------------------- placement

QRect PlaceMainWindow(const std::optional<QByteArray>& positionFile, const QRect& workArea, QSize size) {
    const int bottom = workArea.y() + workArea.height();
    const int right = workArea.x() + workArea.width();
    int w = size.width(), h = size.height();
    int top = bottom - h, left = right - w;
    if (positionFile && positionFile->size() >= 8) {
        const auto* p = reinterpret_cast<const uchar*>(positionFile->constData());
        const quint16 fw = qFromLittleEndian<quint16>(p), fh = qFromLittleEndian<quint16>(p + 2);
        const quint16 fl = qFromLittleEndian<quint16>(p + 4), ft = qFromLittleEndian<quint16>(p + 6);
        if (fw > 20) w = fw;
        if (fh > 20) h = fh;
        // Unsigned comparison: a stored negative place counts as too large.
        top = ft < quint16(bottom) ? int(ft) : bottom - h;
        left = fl < quint16(right) ? int(fl) : right - w;
    }
    if (top + h > bottom) top = bottom - h;
    if (left + w > right) left = right - w;
    return QRect(std::max(left, 0), std::max(top, 0), w, h);
}

QByteArray EncodePosition(const QRect& g) {
    QByteArray bytes(8, '\0');
    auto* p = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian<quint16>(quint16(g.width()), p);
    qToLittleEndian<quint16>(quint16(g.height()), p + 2);
    qToLittleEndian<quint16>(quint16(g.x()), p + 4);
    qToLittleEndian<quint16>(quint16(g.y()), p + 6);
    return bytes;
}

// ---------------------------------------------------------------- delegate

ContactDelegate::ContactDelegate(session::TDM& dm, ContactTreeModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_dm(dm), m_model(model) {}

QSize ContactDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return QSize(200, 18);
}

void ContactDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const TIMData* d = m_model.Node(index);
    if (!d) return;
    p->save();
    QFont font(m_dm.FontName.isEmpty() ? option.font.family() : session::FromAnsi(m_dm.FontName), 10);
    font.setBold(true);
    const QRect r = option.rect;
    if (d->Kind == "AIM" || d->Kind == "PIM") {
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(SkinColor(m_dm.Skin.FormColor));
        p->drawRoundedRect(QRect(QPoint(r.left() + 8, r.top() + 1), QPoint(r.right() - 8, r.bottom() - 1)), 5,
                           5);
        p->setFont(font);
        p->setPen(SkinColor(d->Kind == "AIM" ? m_dm.Skin.OnlineColor : m_dm.Skin.OfflineColor));
        p->drawText(QRect(r.left(), r.top(), r.width(), r.height()), Qt::AlignCenter,
                    session::FromAnsi(m_model.HeaderText(d->Kind)));
    } else {
        if (option.state & QStyle::State_Selected)
            p->fillRect(r, option.palette.highlight().color().lighter(160));
        const bool online = d->Kind == "AIMU";
        const session::MemoryTable& table = online ? m_dm.AUserTable : m_dm.PUserTable;
        if (table.Find("Name", d->Name, Qt::CaseInsensitive) >= 0 && session::ResForm)
            p->drawPixmap(QRect(r.left() + 16, r.top(), 16, 16), session::ResForm->OnLineImg);
        font.setBold(online ? d->CL == "1" : true);
        p->setFont(font);
        const std::uint32_t colour =
            online ? (d->Color != 0 ? d->Color : m_dm.Skin.OnlineColor) : m_dm.Skin.OfflineColor;
        p->setPen(SkinColor(colour));
        p->drawText(QRect(r.left() + 34, r.top(), r.width() - 34, r.height()),
                    Qt::AlignVCenter | Qt::AlignLeft, session::FromAnsi(m_model.ContactCaption(d->Name)));
    }
    p->restore();
}

// ---------------------------------------------------------------- bulletin

BulletinPanel::BulletinPanel(QWidget* parent) : QWidget(parent), m_timer(new platform::Timer(30, this)) {
    setFixedHeight(18);
    connect(m_timer, &platform::Timer::OnTimer, this, [this] {
        m_offset += 2;
        if (m_offset > width() + fontMetrics().horizontalAdvance(m_text)) {
            m_timer->SetEnabled(false);
            emit Finished();
        }
        update();
    });
}

void BulletinPanel::Start(const QString& text) {
    m_text = text;
    m_offset = 0;
    m_timer->SetEnabled(true);
    update();
}

void BulletinPanel::Stop() {
    m_timer->SetEnabled(false);
}

bool BulletinPanel::Running() const {
    return m_timer->Enabled();
}

void BulletinPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (Running())
        p.drawText(width() - m_offset, 0, width() + fontMetrics().horizontalAdvance(m_text), height(),
                   Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

// ---------------------------------------------------------------- window

TMainForm::TMainForm(session::TDM& dm, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dm(dm), m_voicemailTimer(new platform::Timer(1000, this)) {
    setObjectName("MainForm");
    setMinimumSize(245, 450);
    resize(243, 450);
    Tree = new ContactTreeModel(dm, this);
    VTS = new QTreeView(this);
    VTS->setObjectName("VTS");
    VTS->setModel(Tree);
    VTS->setHeaderHidden(true);
    VTS->setRootIsDecorated(false);
    VTS->setItemsExpandable(true);
    VTS->setExpandsOnDoubleClick(false);
    VTS->setIndentation(0);
    VTS->setUniformRowHeights(true);
    VTS->setItemDelegate(new ContactDelegate(dm, *Tree, VTS));
    VTS->viewport()->installEventFilter(this);
    connect(Tree, &QAbstractItemModel::rowsInserted, VTS, [this](const QModelIndex& parent) {
        if (!parent.isValid()) VTS->expandAll();
    });
    connect(Tree, &QAbstractItemModel::modelReset, VTS, &QTreeView::expandAll);

    Bulletin = new BulletinPanel(this);
    connect(Bulletin, &BulletinPanel::Finished, this, &TMainForm::bulletinFinished);

    buildMenus();

    auto* toolbar = new QToolBar(this);
    auto tool = [&](const QString& hint, std::function<void()> action) {
        auto* b = new QToolButton(toolbar);
        b->setToolTip(hint);
        b->setText(hint.left(1));
        connect(b, &QToolButton::clicked, this, action);
        toolbar->addWidget(b);
        return b;
    };
    auto open = [](const char* window) {
        return [window] {
            if (Ui().OpenWindow) Ui().OpenWindow(window, {});
        };
    };
    tool("Groups", open("Groups"));
    tool("Find/Add User", [this] { TAddForm::Open(m_dm); });
    VoicemailButton = tool("Voicemail", open("Voicemail"));
    tool("Create Chat Room", open("CreateChatRoom"));
    tool("Invite a Friend", [this] { TInviteFriendForm::Open(m_dm, this); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(toolbar);
    layout->addWidget(VTS, 1);
    layout->addWidget(Bulletin);

    connect(m_voicemailTimer, &platform::Timer::OnTimer, this, &TMainForm::VoicemailTick);
    m_voicemailTimer->SetEnabled(true);
    Ui().MainForm = this;
}

TMainForm::~TMainForm() {
    QSaveFile f(positionPath());
    if (!m_firstShow && f.open(QIODevice::WriteOnly) && f.write(EncodePosition(geometry())) == 8) f.commit();
    if (Ui().MainForm == this) Ui().MainForm = nullptr;
    if (m_dm.MainForm == this) m_dm.ClearMainWindowPointer();
    if (m_dm.MainClient && m_dm.MainClient->Active()) m_dm.MainClient->SetActive(false);
}

QString TMainForm::positionPath() const {
    return platform::AppPaths::PathIn(m_dm.AppDir, "position.dat");
}

bool TMainForm::connected() const {
    return m_dm.MainClient && m_dm.MainClient->Active();
}

void TMainForm::buildMenus() {
    MainMenu = new QMenuBar(this);
    auto open = [](const char* window) {
        return [window] {
            if (Ui().OpenWindow) Ui().OpenWindow(window, {});
        };
    };
    QMenu* file = MainMenu->addMenu("File");
    file->addAction("Find/Add User", this, [this] { TAddForm::Open(m_dm); });
    file->addAction("Invite a Friend...", this, [this] { TInviteFriendForm::Open(m_dm, this); });
    file->addAction("My Info", this, [this] {
        if (connected()) m_dm.SendCmd("GetInfo", {m_dm.OwnNick});
    });
    file->addAction("Blocked User List", this, [this] { TBlockForm::Open(m_dm, this); });
    AdminsPack = file->addAction("Admins Pack", this, open("AdminsPack"));
    AdminsPack->setVisible(false);
    file->addAction("Setup", this, [this] {
        auto* setup = new session::TSetupForm(m_dm);
        setup->setAttribute(Qt::WA_DeleteOnClose);
        setup->show();
    });
    file->addAction("File Transfers...", this, [this] {
        if (m_dm.ShowFileTransfers) m_dm.ShowFileTransfers(true);
    });
    file->addAction("Debug Window...")->setVisible(false);
    file->addAction("Exit", this, [this] {
        if (session::Dialogs().Ask(DialogKind::Confirmation, "Are you sure you want to exit?")) m_dm.Quit();
    });
    QMenu* services = MainMenu->addMenu("Services");
    services->addAction("Voicemail", this, open("VoicemailNew"));
    services->addAction("Skin Editor", this, open("SkinEditor"));
    QMenu* chat = MainMenu->addMenu("Chat");
    chat->addAction("Groups", this, open("Groups"));
    chat->addAction("Create Chat Room", this, open("CreateChatRoom"));
    chat->addAction("Join Room", this, open("JoinRoom"));
    QMenu* mail = MainMenu->addMenu("Mail Manager");
    mail->addAction("Open voice mail manager", this, open("Voicemail"));
    mail->addAction("Open e-mail manager", this, open("EmailManager"))->setVisible(false);
    QMenu* help = MainMenu->addMenu("Help");
    help->addAction("About", this, [this] {
        session::Dialogs().Ask(DialogKind::Information, "Korvex " + session::FromAnsi(m_dm.ClientVersion));
    });

    OnlineMenu = new QMenu(this);
    buildUserMenu(OnlineMenu, Online, true);
    OfflineMenu = new QMenu(this);
    buildUserMenu(OfflineMenu, Offline, false);
}

void TMainForm::buildUserMenu(QMenu* menu, UserMenu& m, bool online) {
    QByteArray& selected = online ? SelectedOnline : SelectedOffline;
    m.Caption = menu->addAction(QString());
    m.SendMessage = menu->addAction("Send Message", this, [this, &selected, online] {
        TMsgForm::OpenMessageWindow(m_dm, selected, online);
    });
    m.SendVoicemail = menu->addAction("Send Voicemail", this, [&selected] {
        if (Ui().OpenWindow) Ui().OpenWindow("SendVoicemail", selected);
    });
    m.UserInfo = menu->addAction("User Info", this, [this, &selected] {
        if (connected()) m_dm.SendCmd("GetInfo", {selected});
    });
    m.DelCList = menu->addAction("Delete User from Contact List", this, [this, &selected] {
        if (connected()) m_dm.SendCmd("DelCList", {m_dm.OwnNick, selected});
    });
    m.AddCList = menu->addAction("Add User to Contact List", this, [this, &selected] {
        if (connected()) m_dm.SendCmd("AddCList", {m_dm.OwnNick, selected});
    });
    m.Invite = menu->addAction("Invite", this, [&selected] {
        if (Ui().OpenWindow) Ui().OpenWindow("InviteToRoom", selected);
    });
    m.Block =
        menu->addAction("Add User to Block List", this, [this, &selected] { AskBlock(m_dm, selected); });
    m.Unblock = menu->addAction("Remove User from Block List", this,
                                [this, &selected] { AskUnblock(m_dm, selected); });
    if (!online) {
        m.AddCList->setVisible(false);
        m.Invite->setVisible(false);
    }
}

void TMainForm::FillOnlineMenu(const QByteArray& name) {
    const bool own = name == m_dm.OwnNick;
    const int row = m_dm.AUserTable.Find("Name", name, Qt::CaseInsensitive);
    const bool contact = row >= 0 && m_dm.AUserTable.ValueAt(row, "CL") == "1";
    const bool blocked = IsBlocked(m_dm, name);
    const bool room = Ui().RoomWindowOpen && Ui().RoomWindowOpen();
    Online.Caption->setText(session::FromAnsi(name));
    Online.SendMessage->setVisible(!own);
    Online.SendVoicemail->setVisible(!own);
    Online.UserInfo->setVisible(true);
    Online.DelCList->setVisible(contact && !own);
    Online.AddCList->setVisible(!contact && !own);
    Online.Invite->setVisible(room && !own);
    Online.Block->setVisible(!blocked && !own);
    Online.Unblock->setVisible(blocked && !own);
}

void TMainForm::FillOfflineMenu(const QByteArray& name) {
    const bool blocked = IsBlocked(m_dm, name);
    Offline.Caption->setText(session::FromAnsi(name));
    Offline.Block->setVisible(!blocked);
    Offline.Unblock->setVisible(blocked);
}

void TMainForm::NodeReleased(const QModelIndex& index, Qt::MouseButton button) {
    SelectedOnline.clear();
    SelectedOffline.clear();
    const TIMData* d = Tree->Node(index);
    if (!d) return;
    if (d->Kind == "AIM" || d->Kind == "PIM") {
        VTS->setExpanded(index, !VTS->isExpanded(index));
        return;
    }
    const QPoint at(x() - 165, y() + VTS->y() + 20);
    if (d->Kind == "AIMU") {
        const int row = m_dm.AUserTable.Find("Name", d->Name, Qt::CaseInsensitive);
        if (row < 0) return;
        SelectedOnline = m_dm.AUserTable.ValueAt(row, "Name");
        FillOnlineMenu(SelectedOnline);
        if (button == Qt::RightButton) OnlineMenu->popup(at);
    } else if (d->Kind == "PIMU") {
        const int row = m_dm.PUserTable.Find("Name", d->Name, Qt::CaseInsensitive);
        if (row < 0) return;
        SelectedOffline = m_dm.PUserTable.ValueAt(row, "Name");
        FillOfflineMenu(SelectedOffline);
        if (button == Qt::RightButton) OfflineMenu->popup(at);
    }
}

void TMainForm::NodeDoubleClicked() {
    if (!SelectedOnline.isEmpty()) {
        if (Online.SendMessage->isVisible()) Online.SendMessage->trigger();
    } else if (!SelectedOffline.isEmpty()) {
        Offline.SendMessage->trigger();
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == VTS->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* m = static_cast<QMouseEvent*>(event);
            NodeReleased(VTS->indexAt(m->position().toPoint()), m->button());
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            NodeDoubleClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::SetAdminsPackVisible(bool visible) {
    AdminsPack->setVisible(visible);
}

void TMainForm::AddContactNode(const QByteArray& group, const QByteArray& name, const QByteArray& contactFlag,
                               const QByteArray& colorText) {
    Tree->AddContactNode(group, name, contactFlag, colorText);
}

void TMainForm::DeleteContactNode(const QByteArray& group, const QByteArray& name) {
    Tree->DeleteContactNode(group, name);
}

void TMainForm::RepaintList() {
    Tree->Repaint();
    VTS->viewport()->update();
}

void TMainForm::DeactivateInfoPanel() {
    Bulletin->Stop();
}

void TMainForm::SetContactFlag(const QByteArray& name, const QByteArray& contactFlag) {
    Tree->SetContactFlag(name, contactFlag);
}

void TMainForm::SetContactColor(const QByteArray& name, std::uint32_t colour) {
    Tree->SetContactColor(name, colour);
}

QByteArray TMainForm::ContactCaption(const QByteArray& name) const {
    return Tree->ContactCaption(name);
}

void TMainForm::ApplySkin() {
    session::ApplySkin(this, m_dm);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, SkinColor(m_dm.Skin.FormColor));
    setPalette(pal);
    session::ApplyListImage(VTS, m_dm);
    RepaintList();
}

bool TMainForm::BulletinRunning() const {
    return Bulletin->Running();
}

void TMainForm::StartBulletin(const QByteArray& text) {
    Bulletin->Start(session::FromAnsi(text));
}

void TMainForm::bulletinFinished() {
    if (m_dm.InfoTable.RecordCount() > m_dm.InfoShownRow + 1) {
        ++m_dm.InfoShownRow;
        StartBulletin(m_dm.InfoTable.ValueAt(m_dm.InfoShownRow, "Info"));
    }
}

void TMainForm::VoicemailTick() {
    const int count = Ui().VoicemailCount ? Ui().VoicemailCount() : 0;
    if (count == 0) {
        if (VoicemailPhase == 0) {
            VoicemailButton->setIcon(DotIcon(QColor(255, 200, 0)));
            VoicemailPhase = 1;
        }
        VoicemailButton->setToolTip("Voicemail");
    } else {
        ++m_voicemailTicks;
        VoicemailPhase = m_voicemailTicks % 2 == 1 ? 1 : 0;
        VoicemailButton->setIcon(VoicemailPhase == 1
                                     ? DotIcon(QColor(255, 200, 0))
                                     : (session::ResForm ? session::ResForm->OnImage : QIcon()));
        VoicemailButton->setToolTip("You have new Voicemail");
    }
    VoicemailButton->update();
}

void TMainForm::firstShow() {
    ApplySkin();
    Tree->BuildGroups();
    VTS->expandAll();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QFile f(positionPath());
    std::optional<QByteArray> stored;
    if (f.open(QIODevice::ReadOnly)) stored = f.read(8);
    setGeometry(PlaceMainWindow(stored, work, size()));
    m_dm.SendCmd("GetVoiceMail", {m_dm.OwnNick, "0"});
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        firstShow();
    }
    if (Ui().OpenWindow) Ui().OpenWindow("Advertising", {});
}

void TMainForm::CloseButtonClicked() {
    hide();
    if (!session::Dialogs().Ask(DialogKind::Confirmation, "Close program?")) return;
    if (session::Dialogs().Ask(DialogKind::Confirmation, "Are you sure you want to exit?")) m_dm.Quit();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The window's close button only hides it into the tray (after the questions); the program ends through
    // Quit, which deletes the window.
    if (event->spontaneous()) {
        event->ignore();
        CloseButtonClicked();
        return;
    }
    QWidget::closeEvent(event);
}

void TMainForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // Minimised windows live on in the tray icon.
        hide();
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
}

} // namespace korvex::contacts
