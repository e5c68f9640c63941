#pragma once

#include "contacts/MessageFormat.h"
#include "contacts/TypingNotices.h"
#include "session/MemoryTable.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QFontComboBox;
class QLabel;
class QToolButton;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace korvex::contacts {
class ChatView;
class PictureQueue;
class SmileyTable;
struct HtmlPolicy;
} // namespace korvex::contacts
namespace korvex::platform {
class Timer;
}
namespace korvex::session {
class TDM;
}

namespace korvex::rooms {

class RoomUserList;
class SmilePanel;

// Which entries of the user menu are shown for the current target.
struct ChatMenuState {
    bool sendEntries = false; // "Send Message", "Send Voicemail", "Send File..."
    bool adminsPack = false;
    bool ban = false;
    bool roomBanner = false;
    bool addContact = false;
    bool deleteContact = false;
    bool addBlock = false;
    bool removeBlock = false;
};

// The window of one joined room: chat view, send box with its style, the user list, the status line. It is
// registered in the data module's ChatFormTable under its component name "chat" + a process-wide number.
class TChatForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxHistory = 1000;

    // Creates the window for a confirmed join and registers it (the first one while none is registered is the
    // media window).
    TChatForm(session::TDM& dm, const QByteArray& room, const QByteArray& group, QWidget* parent = nullptr);
    ~TChatForm() override;

    // ---- registry
    static TChatForm* FindByFormName(const QByteArray& formName);
    // The window of a room (ChatFormTable row found ignoring case); it becomes the current row.
    static TChatForm* FindByRoom(session::TDM& dm, const QByteArray& room);
    // The window of ChatFormTable's current row.
    static TChatForm* Current(session::TDM& dm);
    static QList<TChatForm*> All(session::TDM& dm); // in table order

    QByteArray FormName() const { return m_formName; }
    QByteArray Room() const { return m_room; }
    QByteArray Group() const { return m_group; }
    bool IsMediaWindow() const { return m_media; }
    bool IsOwner() const { return m_owner; }
    void SetOwner(bool owner) { m_owner = owner; }
    bool Invisible() const { return m_invisible; }
    void SetInvisible();
    QByteArray Codec() const { return m_codec; }
    void SetCodec(const QByteArray& codec) { m_codec = codec; }
    bool SetupPending() const { return m_setupPending; }
    void SetSetupPending() { m_setupPending = true; }

    // ---- operations the dispatcher calls
    void AddChatLine(const QByteArray& user, const QByteArray& html, bool smileys);
    // A drawing sent to the room: the sender's name label and the picture (field-escaped bytes), kept in a
    // file.
    void AddPaintLine(const QByteArray& user, const QByteArray& html, const QByteArray& picture);
    void AddSystemLine(const QByteArray& user, const char* event);
    void SetTyping(const QByteArray& user, bool stopped);
    void SetStatusText(const QString& text);
    QString StatusText() const;
    void ClearChat();
    // "&Clear My Text Chat": this window only, back to the skin's background.
    void ClearMyTextChat();
    void CopySelection();
    void SetViewCharset(int charset);
    void SetSendCharset(int charset);
    int SendCharset() const { return m_sendCharset; }
    // Runs the set-up again (re-join) and refreshes the user list.
    void Rejoin();
    void RefButClick();
    // The user leaves the room: leave messages, exit messages, registry row removed; the window is deleted
    // later.
    void Leave();

    // ---- text
    void SendText();
    QString SendBoxText() const;
    void SetSendBoxText(const QString& text);
    // A key typed into the send box (not Enter): sends a typing notice when a burst starts.
    void SendBoxKeyTyped();
    void InsertSmiley(int picture);
    // The smiley button: shows the smiley panel above the bottom bar, or hides it.
    void ToggleSmilePanel();
    SmilePanel* SmilePanelWidget() const { return m_smilePanel; }
    contacts::TextStyle& Style() { return m_style; }
    QByteArray NameColor() const { return m_nameColor; }
    // "Select My Color": the colour dialog with the custom colours of "Data/customcolor.dat" and the current
    // name colour; PickColour shows the dialog (tests answer it).
    void SelectMyColor();
    std::function<QColor(const QColor& initial)> PickColour;
    // Applies a colour chosen for the own name (made legible on the chat background) and saves the style.
    void ChooseNameColour(const QColor& chosen);
    void WriteConfig() const;
    const QList<QByteArray>& History() const { return m_history; }
    contacts::ChatView* View() const { return m_view; }

    // ---- user list
    RoomUserList& Users() const { return *m_users; }
    session::MemoryTable UserTable{{"Name", 32}, {"Owner", 1}, {"VCap", 1}, {"SCap", 1}, {"RDot", 1}};
    // UserTable rows by name (ignoring case); the name index keeps a room of thousands cheap to fill.
    bool HasUserRow(const QByteArray& name) const { return m_userKeys.contains(name.toLower()); }
    void AddUserRow(const QByteArray& name, const QByteArray& owner);
    void RemoveUserRow(const QByteArray& name);
    // Chooses the menu target; false when the user has no row in UserTable.
    bool SetTarget(const QByteArray& name);
    QByteArray Target() const { return m_target; }
    ChatMenuState MenuState() const;
    bool IsModeratorHere() const;
    void Kick();
    // "Ban": hands a target this user may ban to the administration console's black list.
    void Ban();
    void RestrictTarget(int position, bool set); // 0 text, 1 video, 2 voice
    void ClearTextChatForAll();
    void CloseRoomForAll();
    void DoubleClickTarget();
    void UserDetails();
    // Opens a private message window with the target once that layer provides it.
    std::function<void(const QByteArray& nick)> OpenMessage;

    // Own states the leaving messages depend on (floor control and cams set them).
    bool HandRaised() const;
    bool PublishingCam = false;

    // Look-up of blocked and contact names (the contact layer); defaults use the data module's tables.
    static bool IsBlocked(session::TDM& dm, const QByteArray& name);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void applySendFont();
    void setUp();
    void reloadView();
    // Adds a finished line to the history (at most MaxHistory) and to the view.
    void appendLine(const QByteArray& line);
    void rebuildTyping();
    void sendLeaveMessages();
    void unregister();
    void showUserMenu(const QPoint& globalPos, const QModelIndex& index);
    bool connected() const;
    QByteArray stylePath(const char* file) const;

    session::TDM& m_dm;
    QByteArray m_formName, m_room, m_group, m_codec;
    bool m_media = false;
    bool m_owner = false;
    bool m_setupPending = true;
    bool m_setupGuard = false;
    bool m_invisible = false;
    bool m_left = false;
    QByteArray m_voiceType = "1";
    QList<QByteArray> m_history;
    QSet<QByteArray> m_userKeys;
    contacts::TextStyle m_style;
    QByteArray m_nameColor = "#000000";
    int m_sendCharset = 1; // the code page typed text goes out in
    bool m_camsOnTop = false;
    contacts::TypingNotices m_typing;
    contacts::TypingSender m_typingSender;
    QByteArray m_target, m_targetType, m_targetFlags[4];

    contacts::ChatView* m_view = nullptr;
    QPlainTextEdit* m_sendBox = nullptr;
    QListView* m_userView = nullptr;
    QWidget* m_rightPanel = nullptr;
    RoomUserList* m_users = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_smileyButton = nullptr;
    SmilePanel* m_smilePanel = nullptr;
    QToolButton* m_boldButton = nullptr;
    QToolButton* m_italicButton = nullptr;
    QComboBox* m_sizeBox = nullptr;
    QFontComboBox* m_fontBox = nullptr;
    contacts::PictureQueue* m_pictures = nullptr;
    // Looked up once per window: finding the picture folder reads the directory, too slow for every line.
    std::unique_ptr<contacts::SmileyTable> m_smileys;
    std::unique_ptr<contacts::HtmlPolicy> m_policy;
    platform::Timer* m_sendTimer = nullptr;
    platform::Timer* m_typingTimer = nullptr;
};

} // namespace korvex::rooms
