#include "rooms/TChatForm.h"

#include "contacts/ChatStyleFile.h"
#include "contacts/ChatView.h"
#include "contacts/Contacts.h"
#include "contacts/EncodingMenu.h"
#include "contacts/PictureQueue.h"
#include "contacts/SafeHtml.h"
#include "contacts/Smileys.h"
#include "contacts/UiHelpers.h"
#include "formats/LineFile.h"
#include "net/Clock.h"
#include "net/Command.h"
#include "net/SendCommand.h"
#include "net/TBBClient.h"
#include "platform/AppPaths.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"
#include "rooms/CustomColours.h"
#include "rooms/PaintLines.h"
#include "rooms/RoomModeration.h"
#include "rooms/RoomText.h"
#include "rooms/RoomUserDelegate.h"
#include "rooms/RoomUserList.h"
#include "rooms/Rooms.h"
#include "rooms/SmilePanel.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvex::rooms {

using platform::AppPaths;
using session::FromAnsi;
using session::ToAnsi;

namespace {

QList<QPointer<TChatForm>>& forms() {
    static QList<QPointer<TChatForm>> list;
    return list;
}

quint64 nextFormNumber() {
    static quint64 n = 0;
    return ++n;
}

QDateTime now() {
    return QDateTime::fromMSecsSinceEpoch(net::Clock::NowMs());
}

} // namespace

TChatForm::TChatForm(session::TDM& dm, const QByteArray& room, const QByteArray& group, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dm(dm), m_formName("chat" + QByteArray::number(nextFormNumber())),
      m_room(room), m_group(group), m_sendTimer(new platform::Timer(100, this)),
      m_typingTimer(new platform::Timer(2000, this)) {
    setObjectName(QString::fromLatin1(m_formName));
    setWindowTitle(FromAnsi(room));
    setMinimumSize(662, 300);
    resize(800, 560); // until "Data/chatform.dat" holds the size the user chose
    m_media = dm.ChatFormTable.IsEmpty();
    dm.ChatFormTable.Append({{"FormName", m_formName}, {"Name", room}});
    forms().append(this);

    m_setupGuard = true; // building the controls is not a style change to save
    m_users = new RoomUserList(this);
    session::TDM* d = &dm;
    m_users->SetBlockedCheck([d](const QByteArray& name) { return IsBlocked(*d, name); });
    m_smileys = std::make_unique<contacts::SmileyTable>(contacts::SmileyFolder(dm), dm.WebHost);
    m_policy = std::make_unique<contacts::HtmlPolicy>(contacts::MessagePolicy(dm));
    m_pictures = new contacts::PictureQueue(
        contacts::SmileyFolder(dm), AppPaths::PathIn(dm.AppDir, "Data/Cache/Pictures"), dm.WebHost, this);
    buildUi();
    m_smilePanel = new SmilePanel(this);
    m_smilePanel->Fill(contacts::SmileyFolder(dm), *m_smileys);
    connect(m_smilePanel, &SmilePanel::SmileClicked, this, [this](int picture) {
        InsertSmiley(picture);
        m_smilePanel->hide();
    });

    m_sendTimer->SetSingleShot(true);
    connect(m_sendTimer, &platform::Timer::OnTimer, this, &TChatForm::SendText);
    m_typingTimer->SetSingleShot(true);
    connect(m_typingTimer, &platform::Timer::OnTimer, this, [this] {
        m_typingTimer->SetEnabled(false);
        rebuildTyping();
    });
    m_style = contacts::TextStyle{};
    m_style.bold = true;
    m_style.size = "2";
    m_boldButton->setChecked(true);
    m_sizeBox->setCurrentIndex(1);
    m_setupGuard = false;
}

TChatForm::~TChatForm() {
    unregister();
    forms().removeAll(this);
    forms().removeAll(nullptr);
}

void TChatForm::buildUi() {
    m_view = new contacts::ChatView(this);
    m_view->setObjectName("ChMemo");
    m_view->ImageRequest = [this](const QUrl& url) -> QVariant {
        if (!url.isLocalFile()) return m_pictures->Request(url);
        // Received drawings only; a local path a line names is never read.
        if (!IsTempPictureSource(url.fileName())) return {};
        const QString path = AppPaths::PathIn(m_dm.AppDir, "Data/Temp/" + url.fileName());
        QImage image;
        if (QFileInfo(path).size() > 0) image.load(path);
        return image.isNull() ? QVariant() : QVariant(image);
    };
    connect(m_pictures, &contacts::PictureQueue::Ready, m_view, &contacts::ChatView::DeliverImage);
    connect(m_view, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (contacts::IsOpenableAddress(url.toEncoded())) QDesktopServices::openUrl(url);
    });
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.setObjectName("PopupMenu2");
        menu.addAction("&Clear My Text Chat", this, &TChatForm::ClearMyTextChat);
        menu.addAction("Select &All", m_view, &QTextBrowser::selectAll);
        menu.addAction("C&opy", this, &TChatForm::CopySelection);
        menu.addMenu(contacts::EncodingMenu(&menu, m_view->Charset(), [this](int n) { SetViewCharset(n); }));
        menu.exec(m_view->mapToGlobal(pos));
    });

    m_sendBox = new QPlainTextEdit(this);
    m_sendBox->setObjectName("SendMemo");
    m_sendBox->installEventFilter(this);
    m_sendBox->setMaximumHeight(70);
    m_sendBox->setMinimumHeight(25);
    m_view->setMinimumHeight(30);
    m_sendBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_sendBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.setObjectName("SendPopup");
        menu.addAction("C&opy", m_sendBox, &QPlainTextEdit::copy);
        menu.addAction("Paste", m_sendBox, &QPlainTextEdit::paste);
        menu.addAction("Cut", m_sendBox, &QPlainTextEdit::cut);
        menu.addMenu(contacts::EncodingMenu(&menu, m_sendCharset, [this](int n) { SetSendCharset(n); }));
        menu.exec(m_sendBox->mapToGlobal(pos));
    });

    auto* send = new QPushButton("Send", this);
    send->setObjectName("SendButton");
    connect(send, &QPushButton::clicked, this, &TChatForm::SendText);
    auto* exit = new QPushButton("Exit Room", this);
    connect(exit, &QPushButton::clicked, this, &TChatForm::Leave);
    m_smileyButton = new QPushButton(":-)", this);
    m_smileyButton->setObjectName("SmileButton");
    connect(m_smileyButton, &QPushButton::clicked, this, &TChatForm::ToggleSmilePanel);
    m_boldButton = new QToolButton(this);
    m_boldButton->setText("B");
    m_boldButton->setCheckable(true);
    connect(m_boldButton, &QToolButton::toggled, this, [this](bool on) {
        m_style.bold = on;
        applySendFont();
        WriteConfig();
    });
    m_italicButton = new QToolButton(this);
    m_italicButton->setText("I");
    m_italicButton->setCheckable(true);
    connect(m_italicButton, &QToolButton::toggled, this, [this](bool on) {
        m_style.italic = on;
        applySendFont();
        WriteConfig();
    });
    m_sizeBox = new QComboBox(this);
    m_sizeBox->setObjectName("SizeBox");
    m_sizeBox->addItems({"1", "2", "3", "4"});
    m_sizeBox->setMinimumWidth(40); // the skin's border and arrow leave no room for the digit otherwise
    connect(m_sizeBox, &QComboBox::currentTextChanged, this, [this](const QString& size) {
        m_style.size = size.toLatin1();
        applySendFont();
        WriteConfig();
    });
    auto* textColour = new QPushButton("Color", this);
    textColour->setObjectName("colorgrid");
    connect(textColour, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(FromWinColour(m_style.colour), this);
        if (!c.isValid()) return;
        m_style.colour = WinColourOf(c);
        applySendFont();
        WriteConfig();
    });
    m_fontBox = new QFontComboBox(this);
    m_fontBox->setObjectName("comboFont");
    connect(m_fontBox, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        m_style.face = ToAnsi(f.family());
        applySendFont();
        WriteConfig();
    });
    auto* nameColour = new QPushButton("Select My Color", this);
    connect(nameColour, &QPushButton::clicked, this, &TChatForm::SelectMyColor);
    PickColour = [this](const QColor& initial) { return QColorDialog::getColor(initial, this); };

    m_userView = new QListView(this);
    m_userView->setObjectName("VTS");
    m_userView->setModel(m_users);
    m_userView->setItemDelegate(new RoomUserDelegate(m_users, m_userView));
    m_userView->setSelectionMode(QAbstractItemView::NoSelection);
    m_userView->setUniformItemSizes(true);
    m_userView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_userView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        showUserMenu(m_userView->viewport()->mapToGlobal(pos), m_userView->indexAt(pos));
    });
    connect(m_userView, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && SetTarget(m_users->At(index.row()).name)) DoubleClickTarget();
    });
    auto* refresh = new QPushButton("Refresh", this);
    refresh->setObjectName("RefBut");
    refresh->setToolTip("Refresh user list");
    connect(refresh, &QPushButton::clicked, this, &TChatForm::RefButClick);

    m_status = new QLabel(this);
    m_status->setObjectName("StatusBar");

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_userView);
    rightLayout->addWidget(refresh);
    right->setMinimumWidth(185);
    m_rightPanel = right;

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_view, 1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(m_boldButton);
    tools->addWidget(m_italicButton);
    tools->addWidget(m_sizeBox);
    tools->addWidget(textColour);
    tools->addWidget(m_fontBox);
    tools->addWidget(m_smileyButton);
    tools->addWidget(nameColour);
    tools->addStretch();
    tools->addWidget(exit);
    leftLayout->addLayout(tools);
    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(m_sendBox, 1);
    sendRow->addWidget(send);
    leftLayout->addLayout(sendRow);

    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
}

// ---- registry

TChatForm* TChatForm::FindByFormName(const QByteArray& formName) {
    for (const auto& f : forms())
        if (f && !f->m_left && f->m_formName == formName) return f;
    return nullptr;
}

TChatForm* TChatForm::FindByRoom(session::TDM& dm, const QByteArray& room) {
    if (!dm.ChatFormTable.Locate("Name", room, Qt::CaseInsensitive)) return nullptr;
    return FindByFormName(dm.ChatFormTable.Value("FormName"));
}

TChatForm* TChatForm::Current(session::TDM& dm) {
    if (dm.ChatFormTable.Eof()) return nullptr;
    return FindByFormName(dm.ChatFormTable.Value("FormName"));
}

QList<TChatForm*> TChatForm::All(session::TDM& dm) {
    QList<TChatForm*> list;
    for (const QByteArray& name : dm.ChatFormTable.Column("FormName"))
        if (TChatForm* f = FindByFormName(name)) list.append(f);
    return list;
}

void TChatForm::SetInvisible() {
    m_invisible = true;
    SetStatusText("You are invisible in this room");
}

// ---- showing and set-up

void TChatForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_setupPending) setUp();
}

void TChatForm::setUp() {
    if (m_room == "Korvex Help") {
        m_smileyButton->setEnabled(false);
        m_smileyButton->hide();
    }
    m_setupPending = false;
    session::ApplySkin(this, m_dm);
    session::ApplyListImage(m_userView, m_dm);
    m_sendBox->setStyleSheet(session::EditBackgroundCss(m_dm));
    if (!m_dm.FontName.isEmpty()) m_view->document()->setDefaultFont(QFont(FromAnsi(m_dm.FontName)));
    m_setupGuard = true;
    m_style = contacts::TextStyle{};
    m_style.bold = true;
    m_style.size = "2";
    m_nameColor = "#000000";
    m_history.clear();
    m_view->Reload({});
    const QString stylePath = AppPaths::PathIn(m_dm.AppDir, "Data/chatcolor.dat");
    if (QFile::exists(stylePath)) {
        const contacts::ChatStyleFile f = contacts::ChatStyleFile::Load(stylePath);
        f.ApplyTo(m_style);
        m_nameColor = f.nameColor;
        m_camsOnTop = f.optionFlag;
        if (m_style.face.trimmed().isEmpty()) m_style.face = "Tahoma";
    }
    m_boldButton->setChecked(m_style.bold);
    m_italicButton->setChecked(m_style.italic);
    m_sizeBox->setCurrentText(QString::fromLatin1(m_style.size));
    {
        // The box shows the nearest installed font; the stored name is what goes out until the user picks
        // one.
        const QSignalBlocker keepFace(m_fontBox);
        m_fontBox->setCurrentFont(QFont(FromAnsi(m_style.face)));
    }
    m_style.face = m_style.face.trimmed().isEmpty() ? QByteArray("Tahoma") : m_style.face;
    applySendFont();

    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    const QRect workArea = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), screenSize);
    setMaximumSize(screenSize);
    setGeometry(platform::FitToScreen(geometry(), screenSize, workArea));
    m_dm.SendCmd("GetBanner", {"0", m_formName, m_room});

    m_view->SetCharset(contacts::ReadCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/ChatCharset.dat")));
    m_sendCharset = contacts::ReadCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/SendCharset.dat"));

    // Position and size from the last session when the file has them.
    if (const auto lines = formats::ReadLines(AppPaths::PathIn(m_dm.AppDir, "Data/chatform.dat")))
        setGeometry(platform::RestoreGeometryLines(geometry(), *lines, screenSize));
    m_sendBox->setFocus();
    m_setupGuard = false;
}

void TChatForm::Rejoin() {
    m_setupPending = true;
    if (isVisible())
        setUp();
    else
        show();
    RefButClick();
}

void TChatForm::applySendFont() {
    QFont font = m_sendBox->font();
    font.setBold(m_style.bold);
    font.setItalic(m_style.italic);
    font.setFamily(FromAnsi(m_style.face));
    // HTML sizes 1 to 7 as the send box shows them.
    static const int points[] = {6, 8, 10, 14, 16, 18, 24};
    font.setPointSize(points[std::clamp(m_style.size.toInt(), 1, 7) - 1]);
    m_sendBox->setFont(font);
    QPalette pal = m_sendBox->palette();
    pal.setColor(QPalette::Text, FromWinColour(m_style.colour));
    m_sendBox->setPalette(pal);
}

// ---- chat view

void TChatForm::AddChatLine(const QByteArray& user, const QByteArray& html, bool smileys) {
    Q_UNUSED(user)
    QByteArray line = html;
    if (smileys) {
        // Lines of other users are untrusted: only the markup this program writes survives, and links open
        // only for the safe schemes.
        line = contacts::FilterMessageHtml(line, *m_policy);
        if (m_smileyButton->isEnabled()) line = ExpandLineSmileys(line, *m_smileys);
    }
    appendLine(line + "<br> ");
}

void TChatForm::appendLine(const QByteArray& line) {
    m_history.append(line);
    if (m_history.size() > MaxHistory) m_history.removeFirst();
    m_view->AppendLine(line);
    m_view->ScrollToBottom();
}

void TChatForm::AddPaintLine(const QByteArray& user, const QByteArray& html, const QByteArray& picture) {
    Q_UNUSED(user)
    const QString tempDir = AppPaths::PathIn(m_dm.AppDir, "Data/Temp");
    QDir().mkpath(tempDir);
    const QString path = tempDir + '/' + UniquePictureName(tempDir, now()) + ".gif";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(net::UnescapeField(picture)) < 0 || !file.commit())
        return;
    appendLine(PaintLineHtml(contacts::FilterMessageHtml(html, *m_policy), path));
}

void TChatForm::AddSystemLine(const QByteArray& user, const char* event) {
    const int row = UserTable.Find("Name", user, Qt::CaseInsensitive);
    const QByteArray name = row >= 0 ? UserTable.ValueAt(row, "Name") : user;
    AddChatLine({}, RoomSystemLine(contacts::HtmlEscapeBytes(name), event), false);
}

void TChatForm::ClearChat() {
    m_history.clear();
    m_view->Reload({});
}

void TChatForm::ClearMyTextChat() {
    m_history.clear();
    m_view->setStyleSheet(session::EditBackgroundCss(m_dm));
    m_view->Reload({QByteArray()});
}

void TChatForm::CopySelection() {
    if (m_view->textCursor().hasSelection())
        QApplication::clipboard()->setText(m_view->textCursor().selectedText().replace(QChar(0x2029), '\n'));
    reloadView(); // drops the selection
    m_sendBox->setFocus();
}

void TChatForm::SetViewCharset(int charset) {
    m_view->SetCharset(charset);
    contacts::WriteCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/ChatCharset.dat"), charset);
    reloadView();
}

void TChatForm::SetSendCharset(int charset) {
    m_sendCharset = charset;
    contacts::WriteCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/SendCharset.dat"), charset);
    reloadView();
}

void TChatForm::reloadView() {
    m_view->Reload(m_history);
    m_view->ScrollToBottom();
}

void TChatForm::SetStatusText(const QString& text) {
    m_status->setText(text);
}

QString TChatForm::StatusText() const {
    return m_status->text();
}

// ---- typing

void TChatForm::SetTyping(const QByteArray& user, bool stopped) {
    m_typing.SetTyping(user, stopped, now());
    if (stopped) m_typingSender.Rearm(now());
    rebuildTyping();
}

void TChatForm::rebuildTyping() {
    m_typing.SetTyping(m_dm.OwnNick, true, now()); // the own notices never show
    const QByteArray text = m_typing.Refresh(now());
    SetStatusText(FromAnsi(text));
    m_typingTimer->SetEnabled(!text.isEmpty());
}

void TChatForm::SendBoxKeyTyped() {
    if (m_typingSender.KeyPressed(now()) && connected()) m_dm.SendCmd("Typing", {m_dm.OwnNick, m_room});
}

// ---- sending

bool TChatForm::connected() const {
    return m_dm.MainClient && m_dm.MainClient->Active();
}

QString TChatForm::SendBoxText() const {
    return m_sendBox->toPlainText();
}

void TChatForm::SetSendBoxText(const QString& text) {
    m_sendBox->setPlainText(text);
}

void TChatForm::SendText() {
    const QByteArray typed = contacts::EncodeWithCharset(m_sendBox->toPlainText(), m_sendCharset);
    const RoomLine line =
        ComposeRoomLine(typed, m_style, m_nameColor, m_dm.OwnNick, m_dm.RestrictNoText, connected());
    const QString box = contacts::DecodeWithCharset(line.sendBox, m_sendCharset);
    if (box != m_sendBox->toPlainText()) m_sendBox->setPlainText(box);
    if (line.sent) m_dm.SendCmd("ChatMsg", {m_room, m_dm.OwnNick, line.html});
    m_sendBox->moveCursor(QTextCursor::End);
    m_sendBox->setFocus();
}

void TChatForm::ToggleSmilePanel() {
    if (m_smilePanel->isVisible()) {
        m_smilePanel->hide();
        return;
    }
    // Just above the bar that holds the smiley button, its right edge at the user list's left edge.
    const int right = m_userView->mapTo(this, QPoint(0, 0)).x();
    const int bottom = m_smileyButton->mapTo(this, QPoint(0, 0)).y();
    m_smilePanel->move(std::max(0, right - m_smilePanel->width()),
                       std::max(0, bottom - m_smilePanel->height()));
    m_smilePanel->raise();
    m_smilePanel->show();
}

void TChatForm::InsertSmiley(int picture) {
    QByteArray code = "|" + QByteArray::number(picture) + "|";
    for (const contacts::SmileyCode& c : m_smileys->SmileyCodes())
        if (c.picture == picture) {
            code = c.code;
            break;
        }
    m_sendBox->moveCursor(QTextCursor::End);
    m_sendBox->insertPlainText(FromAnsi(code));
    m_sendBox->moveCursor(QTextCursor::End);
}

void TChatForm::SelectMyColor() {
    const QString path = AppPaths::PathIn(m_dm.AppDir, "Data/customcolor.dat");
    const QColor current(QString::fromLatin1(m_nameColor));
    const QList<quint32> custom = WithCurrentColour(LoadCustomColours(path), WinColourOf(current));
    for (int i = 0; i < CustomColourSlots; ++i)
        QColorDialog::setCustomColor(i, i < custom.size() ? FromWinColour(custom[i]) : QColor(Qt::white));
    const QColor chosen = PickColour(current);
    if (!chosen.isValid()) return;
    ChooseNameColour(chosen);
    QList<quint32> kept;
    for (int i = 0; i < CustomColourSlots; ++i)
        kept.append(WinColourOf(QColorDialog::customColor(i)));
    SaveCustomColours(path, kept);
}

void TChatForm::ChooseNameColour(const QColor& chosen) {
    const QColor background = m_view->palette().color(QPalette::Base);
    const QColor c = LegibleNameColour(chosen, background);
    m_nameColor = contacts::ColorText(WinColourOf(c));
    WriteConfig();
}

void TChatForm::WriteConfig() const {
    if (m_setupGuard) return;
    contacts::ChatStyleFile f;
    f.bold = m_style.bold;
    f.italic = m_style.italic;
    f.sizeIndex = std::clamp(m_style.size.toInt() - 1, 0, 3);
    f.nameColor = m_nameColor;
    f.colour = m_style.colour;
    f.face = m_style.face;
    f.optionFlag = m_camsOnTop;
    f.Save(AppPaths::PathIn(m_dm.AppDir, "Data/chatcolor.dat"));
}

// ---- keys

bool TChatForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_sendBox && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && key->modifiers() == Qt::ControlModifier) {
            m_sendBox->moveCursor(QTextCursor::End);
            m_sendBox->insertPlainText("\n");
            return true;
        }
        if (enter) {
            m_sendBox->moveCursor(QTextCursor::End);
            m_sendTimer->SetEnabled(true);
            return true;
        }
        if (key->key() == Qt::Key_S && key->modifiers() == Qt::AltModifier) {
            SendText();
            return true;
        }
        if (!key->text().isEmpty()) SendBoxKeyTyped();
    }
    return QWidget::eventFilter(watched, event);
}

void TChatForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The user list may take at most half the window.
    m_rightPanel->setMaximumWidth(std::max(m_rightPanel->minimumWidth(), width() / 2));
}

void TChatForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Leave();
        return;
    }
    if ((event->key() == Qt::Key_C || event->key() == Qt::Key_Insert) &&
        event->modifiers() == Qt::ControlModifier) {
        if (m_view->textCursor().hasSelection())
            QApplication::clipboard()->setText(
                m_view->textCursor().selectedText().replace(QChar(0x2029), '\n'));
        return;
    }
    if (event->key() == Qt::Key_S && event->modifiers() == Qt::AltModifier) {
        SendText();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text != "\n" && text.at(0).isPrint() && m_sendBox->isVisible() &&
        !m_sendBox->hasFocus()) {
        m_sendBox->moveCursor(QTextCursor::End);
        m_sendBox->insertPlainText(text);
        m_sendBox->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- leaving

bool TChatForm::HandRaised() const {
    return m_users->IsHandRaised(m_dm.OwnNick);
}

void TChatForm::sendLeaveMessages() {
    if (m_dm.HoldsMic) m_dm.SendCmd("DelMic", {m_dm.OwnNick, m_room, m_group});
    if (HandRaised()) m_dm.SendCmd("SetHand", {m_dm.OwnNick, m_room, m_group});
}

void TChatForm::unregister() {
    if (m_left) return;
    m_left = true;
    QFile geometryFile(AppPaths::PathIn(m_dm.AppDir, "Data/chatform.dat"));
    if (geometryFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        geometryFile.write(platform::GeometryLines(geometry()));
    if (PublishingCam) m_dm.SendCmd("VCapOFF", {m_dm.OwnNick, m_room});
    m_dm.SendCmd("ExitRoom", {m_dm.OwnNick, m_group, m_room});
    const int row = m_dm.ChatFormTable.Find("FormName", m_formName, Qt::CaseSensitive);
    if (row >= 0) m_dm.ChatFormTable.DeleteRow(row);
    WriteConfig();
}

void TChatForm::Leave() {
    if (m_left) return;
    sendLeaveMessages();
    // The exit messages and the registry row go at once, so that a join sent right after leaving finds the
    // room left and the registry without this window.
    unregister();
    hide();
    deleteLater();
}

void TChatForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    Leave();
}

// ---- user list

void TChatForm::AddUserRow(const QByteArray& name, const QByteArray& owner) {
    UserTable.Append({{"Name", name}, {"Owner", owner}});
    m_userKeys.insert(name.toLower());
}

void TChatForm::RemoveUserRow(const QByteArray& name) {
    const int row = UserTable.Find("Name", name, Qt::CaseInsensitive);
    if (row >= 0) UserTable.DeleteRow(row);
    m_userKeys.remove(name.toLower());
}

void TChatForm::RefButClick() {
    UserTable.Clear();
    m_userKeys.clear();
    m_users->Clear();
    if (m_dm.MainClient)
        net::SendCommand(*m_dm.MainClient, net::MakeCommand("GetChatUsers", {m_room}) +
                                               net::MakeCommand("GetVideoUsers", {m_room}));
}

bool TChatForm::IsBlocked(session::TDM& dm, const QByteArray& name) {
    return dm.BlockedUsers.Find("Name", name, Qt::CaseInsensitive) >= 0;
}

bool TChatForm::SetTarget(const QByteArray& name) {
    if (!HasUserRow(name)) return false;
    m_target = name;
    const RoomUserData* u = m_users->Find(name);
    m_targetType = u ? u->userType : QByteArray();
    m_targetFlags[0] = u ? u->textFlag : QByteArray();
    m_targetFlags[1] = u ? u->videoFlag : QByteArray();
    m_targetFlags[2] = u ? u->voiceFlag : QByteArray();
    m_targetFlags[3] = u ? u->notAllFlag : QByteArray();
    return true;
}

bool TChatForm::IsModeratorHere() const {
    return IsModerator(m_dm.UserType, m_owner);
}

ChatMenuState TChatForm::MenuState() const {
    ChatMenuState s;
    const bool self = m_target.compare(m_dm.OwnNick, Qt::CaseInsensitive) == 0;
    auto onContactList = [this](const session::MemoryTable& t) {
        const int row = t.Find("Name", m_target, Qt::CaseInsensitive);
        return row >= 0 && t.ValueAt(row, "CL") == "1";
    };
    const bool inOnline = onContactList(m_dm.AUserTable);
    const bool inOffline = onContactList(m_dm.PUserTable);
    const bool blocked = IsBlocked(m_dm, m_target);
    s.sendEntries = !self;
    s.adminsPack = m_dm.UserType == "2" || m_dm.UserType == "3" || m_owner;
    s.ban = m_dm.UserType == "3" && !m_owner;
    s.roomBanner = m_dm.UserType == "2" || m_dm.UserType == "3" || (m_owner && m_dm.UserType == "1");
    s.addContact = !self && !inOnline && !inOffline;
    s.deleteContact = (inOnline && !self) || inOffline;
    s.addBlock = !self && !blocked;
    s.removeBlock = blocked && !self;
    return s;
}

void TChatForm::Kick() {
    const bool self = m_target.compare(m_dm.OwnNick, Qt::CaseInsensitive) == 0;
    if (!MayRestrict(m_dm.UserType, m_owner, m_targetType, self)) {
        session::ShowMessage(session::DialogKind::Warning, "Cannot kick this user.");
        return;
    }
    const QByteArray target = m_target, room = m_room;
    session::TDM* dm = &m_dm;
    session::ShowMessage(session::DialogKind::InformationYesNo, "Kick User " + FromAnsi(target) + " ?",
                         [dm, target, room](bool ok) {
                             if (ok) dm->SendCmd("KikUser", {target, room});
                         });
}

void TChatForm::Ban() {
    const bool self = m_target.compare(m_dm.OwnNick, Qt::CaseInsensitive) == 0;
    if (!MayRestrict(m_dm.UserType, m_owner, m_targetType, self) || !Ui().BanUser) {
        session::ShowMessage(session::DialogKind::Warning, "Cannot ban this user.");
        return;
    }
    Ui().BanUser(m_target);
}

void TChatForm::RestrictTarget(int position, bool set) {
    if (!connected()) return;
    if (set && (!IsModeratorHere() || IsProtected(m_targetType))) return;
    const QByteArray flags = m_targetFlags[0] + m_targetFlags[1] + m_targetFlags[2] + m_targetFlags[3];
    m_dm.SendCmd("SetRDot", {m_target, RedDotFlags(flags, RedDot(position), set), m_room});
}

void TChatForm::ClearTextChatForAll() {
    m_dm.SendCmd("ClearChat", {m_group, m_room});
}

void TChatForm::CloseRoomForAll() {
    const QByteArray group = m_group, room = m_room;
    session::TDM* dm = &m_dm;
    session::ShowMessage(session::DialogKind::Confirmation,
                         "Close Room " + FromAnsi(room) + " ?\r\r" + "WARNING: Room will be DELETED!",
                         [dm, group, room](bool ok) {
                             if (ok) dm->SendCmd("DelRoom", {group, room});
                         });
}

void TChatForm::DoubleClickTarget() {
    if (IsModeratorHere() && !IsProtected(m_targetType)) {
        m_dm.SendCmd("SetRDot", {m_target, DoubleClickFlags(m_targetFlags[3]), m_room});
        return;
    }
    if (MenuState().sendEntries && OpenMessage) OpenMessage(m_target);
}

void TChatForm::UserDetails() {
    m_dm.SendCmd("GetInfo", {m_target});
}

void TChatForm::showUserMenu(const QPoint& globalPos, const QModelIndex& index) {
    if (!index.isValid() || !SetTarget(m_users->At(index.row()).name)) return;
    const ChatMenuState s = MenuState();
    QMenu menu(this);
    menu.addAction(FromAnsi(m_target))->setEnabled(false);
    if (s.sendEntries && OpenMessage) menu.addAction("Send Message", this, [this] { OpenMessage(m_target); });
    if (s.sendEntries && contacts::Ui().OpenWindow)
        menu.addAction("Send Voicemail", this,
                       [this] { contacts::Ui().OpenWindow("SendVoicemail", m_target); });
    if (s.sendEntries && contacts::Ui().SendFile)
        menu.addAction("Send File...", this, [this] {
            const QString file = QFileDialog::getOpenFileName(this);
            if (!file.isEmpty()) contacts::Ui().SendFile(file, m_target);
        });
    menu.addAction("User Details", this, &TChatForm::UserDetails);
    if (s.adminsPack) {
        QMenu* admins = menu.addMenu("Admins Pack");
        admins->addAction("Kick", this, &TChatForm::Kick);
        if (s.ban && Ui().BanUser) admins->addAction("Ban", this, &TChatForm::Ban);
        admins->addAction("No text", this, [this] { RestrictTarget(0, true); });
        admins->addAction("No video", this, [this] { RestrictTarget(1, true); });
        admins->addAction("No voice", this, [this] { RestrictTarget(2, true); });
        admins->addAction("Allow text", this, [this] { RestrictTarget(0, false); });
        admins->addAction("Allow video", this, [this] { RestrictTarget(1, false); });
        admins->addAction("Allow voice", this, [this] { RestrictTarget(2, false); });
        admins->addAction("Clear Text Chat", this, &TChatForm::ClearTextChatForAll);
        if (s.roomBanner && Ui().EditRoomBanner)
            admins->addAction("Room Banner", this, [this] { Ui().EditRoomBanner(m_group, m_room); });
        admins->addAction("Close Room", this, &TChatForm::CloseRoomForAll);
    }
    if (s.addContact)
        menu.addAction("Add user to Contact List", this, [this] {
            m_dm.SendCmd("AddCList", {m_dm.OwnNick, m_target});
        });
    if (s.deleteContact)
        menu.addAction("Delete User from Contact List", this, [this] {
            m_dm.SendCmd("DelCList", {m_dm.OwnNick, m_target});
        });
    if (s.addBlock)
        menu.addAction("Add User to Block List", this, [this] {
            contacts::AskBlock(m_dm, m_target);
            m_userView->viewport()->update();
        });
    if (s.removeBlock)
        menu.addAction("Remove User from Block List", this, [this] {
            contacts::AskUnblock(m_dm, m_target);
            m_userView->viewport()->update();
        });
    menu.exec(globalPos);
}

} // namespace korvex::rooms
