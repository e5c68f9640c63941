#pragma once

#include "session/MainWindowApi.h"

#include <QByteArray>
#include <QMenu>
#include <QRect>
#include <QStyledItemDelegate>
#include <QWidget>
#include <optional>

class QAction;
class QMenuBar;
class QToolButton;
class QTreeView;

namespace korvex::platform {
class Timer;
}
namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

class ContactTreeModel;

// Where the main window goes: the stored size and place ("position.dat": width, height, left, top as unsigned
// 16-bit little-endian values) when they fit the work area, else flush with its bottom or right edge.
QRect PlaceMainWindow(const std::optional<QByteArray>& positionFile, const QRect& workArea, QSize size);
QByteArray EncodePosition(const QRect& geometry);

// Draws the contact tree: headers with their counts, status picture, bold contacts, colours, blocked marks.
class ContactDelegate : public QStyledItemDelegate {
public:
    ContactDelegate(session::TDM& dm, ContactTreeModel& model, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    session::TDM& m_dm;
    ContactTreeModel& m_model;
};

// A one-line panel scrolling a text from right to left; Finished when the text has left the panel.
class BulletinPanel : public QWidget {
    Q_OBJECT
public:
    explicit BulletinPanel(QWidget* parent = nullptr);
    void Start(const QString& text);
    void Stop();
    bool Running() const;
    QString Text() const { return m_text; }
signals:
    void Finished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    int m_offset = 0;
    platform::Timer* m_timer;
};

// The contact list window: menus, toolbar, contact tree, bulletin and voicemail indicator.
class TMainForm : public QWidget, public session::MainWindowApi {
    Q_OBJECT
public:
    explicit TMainForm(session::TDM& dm, QWidget* parent = nullptr);
    ~TMainForm() override;

    // MainWindowApi
    QWidget* Widget() override { return this; }
    void SetAdminsPackVisible(bool visible) override;
    void AddContactNode(const QByteArray& group, const QByteArray& name, const QByteArray& contactFlag,
                        const QByteArray& colorText) override;
    void DeleteContactNode(const QByteArray& group, const QByteArray& name) override;
    void RepaintList() override;
    void DeactivateInfoPanel() override;

    void SetContactFlag(const QByteArray& name, const QByteArray& contactFlag);
    void SetContactColor(const QByteArray& name, std::uint32_t colour);
    QByteArray ContactCaption(const QByteArray& name) const;
    void ApplySkin();

    bool BulletinRunning() const;
    void StartBulletin(const QByteArray& text);
    // A mouse button released over the node (or nowhere): selection and popup menu rules.
    void NodeReleased(const QModelIndex& index, Qt::MouseButton button);
    void NodeDoubleClicked();
    // Fills the popup menus' visibility for the user (as they would be shown).
    void FillOnlineMenu(const QByteArray& name);
    void FillOfflineMenu(const QByteArray& name);
    // The close button of the frame: hide, ask, maybe end.
    void CloseButtonClicked();
    void VoicemailTick();

    ContactTreeModel* Tree;
    QTreeView* VTS;
    BulletinPanel* Bulletin;
    QMenuBar* MainMenu;
    QAction* AdminsPack;
    QToolButton* VoicemailButton;
    QMenu* OnlineMenu;
    QMenu* OfflineMenu;
    struct UserMenu {
        QAction* Caption;
        QAction* SendMessage;
        QAction* SendVoicemail;
        QAction* UserInfo;
        QAction* DelCList;
        QAction* AddCList;
        QAction* Invite;
        QAction* Block;
        QAction* Unblock;
    };
    UserMenu Online{}, Offline{};
    QByteArray SelectedOnline, SelectedOffline;
    int VoicemailPhase = 0;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildUserMenu(QMenu* menu, UserMenu& items, bool online);
    void firstShow();
    void bulletinFinished();
    QString positionPath() const;
    bool connected() const;

    session::TDM& m_dm;
    bool m_firstShow = true;
    bool m_closing = false;
    int m_voicemailTicks = 0;
    platform::Timer* m_voicemailTimer;
};

} // namespace korvex::contacts
