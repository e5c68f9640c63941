#pragma once

#include "contacts/ChatStyleFile.h"
#include "contacts/MessageFormat.h"
#include "contacts/TypingNotices.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QFontComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace korvex::platform {
class Timer;
}
namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

class ChatView;
class PictureQueue;

// The conversation with one peer: history view, typing box with style controls, status line with delivery and
// typing notices. At most one window per peer is opened from the contact list; the data module's MsgFormTable
// maps peers to windows by component name.
class TMsgForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxHistory = 1000;

    TMsgForm(session::TDM& dm, const QByteArray& peer, bool online, QWidget* parent = nullptr);
    ~TMsgForm() override;

    // Opens (or brings forward) the window of peer, found ignoring case.
    static TMsgForm* OpenMessageWindow(session::TDM& dm, const QByteArray& peer, bool online);
    // The window with that component name, nullptr when none.
    static TMsgForm* FindByFormName(const QByteArray& formName);
    static QList<TMsgForm*> AllForms();

    QByteArray FormName() const { return m_formName; }
    QByteArray Peer() const { return m_peer; }
    void SetPeer(const QByteArray& peer);
    bool PeerOnline() const { return m_peerOnline; }
    void SetPeerOnline(bool online);
    bool Minimized() const { return m_minimized; }
    bool IsAttentionActive() const;

    void AddMessageLine(const QByteArray& sender, const QByteArray& html);
    const QList<QByteArray>& History() const { return m_history; }
    void StartFlash();
    void StopFlash();
    bool Flashing() const;
    void InitMessageWindow();
    void SetTyping(const QByteArray& nick, bool stopped);
    void SetStatus(const QString& text, const QColor& colour);
    QString StatusText() const;
    QColor StatusColor() const;

    // Send, Enter, Alt+S.
    void Send();
    void ClearMyTextChat();
    void SetViewCharset(int charset);
    void SetSendCharset(int charset);
    int SendCharset() const { return m_sendCharset; }
    const TextStyle& Style() const { return m_style; }

    ChatView* View;
    QPlainTextEdit* Memo;
    QToolButton* BoldButton;
    QToolButton* ItalicButton;
    QComboBox* SizeBox;
    QToolButton* ColorButton;
    QFontComboBox* FontBox;
    QToolButton* SmileButton;
    QWidget* SmileyPicker;
    QPushButton* SendButton;
    QPushButton* CloseButton;
    QToolButton* BlockButton;
    QToolButton* AddButton;
    QToolButton* FileButton;
    QLabel* StatusLabel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void buildSmileyPicker();
    void saveStyle();
    void savePlacement();
    void applyMemoFont();
    void typingKey();
    void refreshTyping();
    void flashTick();
    QIcon normalIcon() const;
    QVariant imageFor(const QUrl& url);

    session::TDM& m_dm;
    QByteArray m_formName;
    QByteArray m_peer;
    bool m_peerOnline = true;
    bool m_minimized = false;
    bool m_busy = false;
    bool m_firstShow = true;
    bool m_flashPhase = false;
    TextStyle m_style;
    ChatStyleFile m_styleFile;
    QList<QByteArray> m_history;
    int m_sendCharset = 1; // the code page typed text goes out in
    TypingNotices m_typists;
    TypingSender m_typingSender;
    platform::Timer* m_flashTimer;
    platform::Timer* m_typingTimer;
    platform::Timer* m_enterTimer;
    PictureQueue* m_pictures;
    QColor m_statusColor;
};

} // namespace korvex::contacts
