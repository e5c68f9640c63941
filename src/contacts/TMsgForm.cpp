#include "contacts/TMsgForm.h"

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
#include "net/TBBClient.h"
#include "platform/AppPaths.h"
#include "platform/Timer.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvex::contacts {

using platform::AppPaths;

namespace {
QList<QPointer<TMsgForm>>& forms() {
    static QList<QPointer<TMsgForm>> list;
    return list;
}
int nextFormNumber() {
    static int n = 0;
    return ++n;
}
constexpr int pointSizes[] = {8, 10, 12, 14};

// Memo text as bytes with CR LF line breaks.
QByteArray memoBytes(const QPlainTextEdit* memo, int charset) {
    QByteArray bytes = EncodeWithCharset(memo->toPlainText(), charset);
    bytes.replace("\n", "\r\n");
    return bytes;
}
} // namespace

TMsgForm::TMsgForm(session::TDM& dm, const QByteArray& peer, bool online, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dm(dm), m_formName("msg" + QByteArray::number(nextFormNumber())),
      m_peer(peer), m_peerOnline(online), m_flashTimer(new platform::Timer(300, this)),
      m_typingTimer(new platform::Timer(2000, this)), m_enterTimer(new platform::Timer(100, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::fromLatin1(m_formName));
    setWindowTitle(session::FromAnsi(peer));
    setMinimumSize(508, 100);
    m_styleFile.nameColor = "#000000";
    m_pictures = new PictureQueue(SmileyFolder(dm), AppPaths::PathIn(dm.AppDir, "Data/Cache/Pictures"),
                                  dm.WebHost, this);
    buildUi();
    m_enterTimer->SetSingleShot(true);
    connect(m_enterTimer, &platform::Timer::OnTimer, this, &TMsgForm::Send);
    connect(m_flashTimer, &platform::Timer::OnTimer, this, &TMsgForm::flashTick);
    connect(m_typingTimer, &platform::Timer::OnTimer, this, [this] {
        m_typingTimer->SetEnabled(false);
        refreshTyping();
    });
    // Before the first show: size "2", 10 points, bold (InitMessageWindow overrides these).
    m_busy = true;
    SizeBox->setCurrentIndex(1);
    BoldButton->setChecked(true);
    m_style.bold = true;
    m_style.size = "2";
    m_busy = false;
    setWindowIcon(normalIcon());
    forms().append(this);
}

TMsgForm::~TMsgForm() {
    forms().removeAll(this);
    forms().removeAll(nullptr);
}

TMsgForm* TMsgForm::FindByFormName(const QByteArray& formName) {
    for (const auto& f : forms())
        if (f && f->m_formName == formName) return f;
    return nullptr;
}

QList<TMsgForm*> TMsgForm::AllForms() {
    QList<TMsgForm*> list;
    for (const auto& f : forms())
        if (f) list.append(f);
    return list;
}

TMsgForm* TMsgForm::OpenMessageWindow(session::TDM& dm, const QByteArray& peer, bool online) {
    const int row = dm.MsgFormTable.Find("Name", peer, Qt::CaseInsensitive);
    if (row >= 0) {
        if (TMsgForm* f = FindByFormName(dm.MsgFormTable.ValueAt(row, "FormName"))) {
            f->showNormal();
            f->SetPeerOnline(online);
            f->raise();
            f->activateWindow();
            f->setWindowTitle(session::FromAnsi(f->m_peer));
            return f;
        }
    }
    auto* f = new TMsgForm(dm, peer, online);
    dm.MsgFormTable.Append({{"FormName", f->FormName()}, {"Name", peer}, {"Flash", "0"}});
    f->show();
    return f;
}

void TMsgForm::buildUi() {
    View = new ChatView(this);
    View->ImageRequest = [this](const QUrl& url) { return imageFor(url); };
    connect(m_pictures, &PictureQueue::Ready, View, &ChatView::DeliverImage);
    connect(View, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (IsOpenableAddress(url.toEncoded())) QDesktopServices::openUrl(url);
    });
    View->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(View, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction("&Clear My Text Chat", this, &TMsgForm::ClearMyTextChat);
        menu.addAction("Select &All", View, &QTextBrowser::selectAll);
        menu.addAction("C&opy", this, [this] {
            if (View->textCursor().hasSelection()) {
                QApplication::clipboard()->setText(
                    View->textCursor().selectedText().replace(QChar(0x2029), '\n'));
                View->ScrollToBottom();
            }
            Memo->setFocus();
        });
        menu.addMenu(EncodingMenu(&menu, View->Charset(), [this](int n) { SetViewCharset(n); }));
        menu.exec(View->mapToGlobal(pos));
    });

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->installEventFilter(this);
    View->installEventFilter(this);
    Memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction("C&opy", Memo, &QPlainTextEdit::copy);
        menu.addAction("Paste", Memo, &QPlainTextEdit::paste);
        menu.addAction("Cut", Memo, &QPlainTextEdit::cut);
        menu.addMenu(EncodingMenu(&menu, m_sendCharset, [this](int n) { SetSendCharset(n); }));
        menu.exec(Memo->mapToGlobal(pos));
    });

    auto tool = [this](const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(hint);
        return b;
    };
    BoldButton = tool("B", "Bold Font");
    BoldButton->setCheckable(true);
    ItalicButton = tool("I", "Italic Font");
    ItalicButton->setCheckable(true);
    SizeBox = new QComboBox(this);
    SizeBox->setToolTip("Font Size");
    SizeBox->addItems({"1", "2", "3", "4"});
    SizeBox->setMinimumWidth(40);
    ColorButton = tool("Colour", "Font Colour");
    FontBox = new QFontComboBox(this);
    SmileButton = tool(":-)", "Smiles");
    BlockButton = tool("Block", "Block this user from sending me private messages");
    AddButton = tool("Add", "Add user to contact list");
    FileButton = tool("File", "Send a file to this user");
    SendButton = new QPushButton("Send", this);
    SendButton->setToolTip("Send Text");
    CloseButton = new QPushButton("Close", this);
    StatusLabel = new QLabel(this);

    connect(BoldButton, &QToolButton::toggled, this, [this](bool on) {
        m_style.bold = on;
        applyMemoFont();
        saveStyle();
    });
    connect(ItalicButton, &QToolButton::toggled, this, [this](bool on) {
        m_style.italic = on;
        applyMemoFont();
        saveStyle();
    });
    connect(SizeBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0) return;
        m_style.size = QByteArray::number(i + 1);
        applyMemoFont();
        saveStyle();
    });
    connect(ColorButton, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(SkinColor(m_style.colour), this);
        if (!c.isValid()) return;
        m_style.colour =
            std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
        applyMemoFont();
        saveStyle();
    });
    connect(FontBox, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        m_style.face = session::ToAnsi(f.family());
        applyMemoFont();
        saveStyle();
    });
    connect(SendButton, &QPushButton::clicked, this, &TMsgForm::Send);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(SmileButton, &QToolButton::clicked, this, [this] {
        if (SmileyPicker->isVisible()) {
            SmileyPicker->hide();
            return;
        }
        SmileyPicker->adjustSize();
        SmileyPicker->move(width() - SmileyPicker->width(),
                           Memo->geometry().bottom() - SmileyPicker->height());
        SmileyPicker->raise();
        SmileyPicker->show();
    });
    connect(BlockButton, &QToolButton::clicked, this, [this] { AskBlock(m_dm, m_peer); });
    connect(AddButton, &QToolButton::clicked, this, [this] {
        if (m_dm.MainClient && m_dm.MainClient->Active()) m_dm.SendCmd("AddCList", {m_dm.OwnNick, m_peer});
    });
    connect(FileButton, &QToolButton::clicked, this, [this] {
        if (!Ui().SendFile) return; // the file transfer window is not part of this build yet
        const QString file = QFileDialog::getOpenFileName(this);
        if (!file.isEmpty()) Ui().SendFile(file, m_peer);
    });

    auto* styleRow = new QHBoxLayout;
    for (QWidget* w :
         {static_cast<QWidget*>(BoldButton), static_cast<QWidget*>(ItalicButton),
          static_cast<QWidget*>(SizeBox), static_cast<QWidget*>(ColorButton), static_cast<QWidget*>(FontBox),
          static_cast<QWidget*>(SmileButton), static_cast<QWidget*>(BlockButton),
          static_cast<QWidget*>(AddButton), static_cast<QWidget*>(FileButton)})
        styleRow->addWidget(w);
    styleRow->addStretch();
    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(Memo, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(SendButton);
    buttons->addWidget(CloseButton);
    sendRow->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(View, 3);
    layout->addLayout(styleRow);
    layout->addLayout(sendRow, 1);
    layout->addWidget(StatusLabel);
    buildSmileyPicker();
}

void TMsgForm::buildSmileyPicker() {
    SmileyPicker = new QWidget(this);
    SmileyPicker->setObjectName("SmileyPicker");
    SmileyPicker->setAutoFillBackground(true);
    auto* grid = new QGridLayout(SmileyPicker);
    grid->setSpacing(8);
    auto* caption = new QLabel("Smilies", SmileyPicker);
    grid->addWidget(caption, 0, 0, 1, 8);
    const QDir dir(SmileyFolder(m_dm));
    const SmileyTable& table = Smileys(m_dm);
    int placed = 0;
    for (int n = 1; n <= SmileyTable::PictureCount; ++n) {
        const QString gif = dir.filePath(QStringLiteral("Smile%1.gif").arg(n));
        if (!QFile::exists(gif)) continue;
        auto* b = new QToolButton(SmileyPicker);
        b->setObjectName(QStringLiteral("Smile%1").arg(n));
        b->setIcon(QIcon(gif));
        b->setIconSize(QSize(19, 19));
        b->setAutoRaise(true);
        b->setToolTip(session::FromAnsi(table.Hint(n)));
        connect(b, &QToolButton::clicked, this, [this, n, &table] {
            QByteArray code = "|" + QByteArray::number(n) + "|";
            for (const SmileyCode& c : table.SmileyCodes())
                if (c.picture == n) {
                    code = c.code;
                    break;
                }
            Memo->moveCursor(QTextCursor::End);
            Memo->insertPlainText(session::FromAnsi(code));
            Memo->moveCursor(QTextCursor::End);
            SmileyPicker->hide();
        });
        grid->addWidget(b, 1 + placed / 8, placed % 8);
        ++placed;
    }
    SmileyPicker->hide();
}

void TMsgForm::SetPeer(const QByteArray& peer) {
    m_peer = peer;
    setWindowTitle(session::FromAnsi(peer));
}

void TMsgForm::SetPeerOnline(bool online) {
    m_peerOnline = online;
    if (!Flashing()) setWindowIcon(normalIcon());
}

QIcon TMsgForm::normalIcon() const {
    return DotIcon(m_peerOnline ? QColor(0, 160, 0) : QColor(160, 160, 160));
}

bool TMsgForm::IsAttentionActive() const {
    return !m_minimized && isActiveWindow();
}

void TMsgForm::AddMessageLine(const QByteArray& sender, const QByteArray& html) {
    // What others send is filtered before smileys are expanded, so the only pictures and links a line can
    // hold are the filter's and our own smiley tags.
    const QByteArray safe = FilterMessageHtml(html, MessagePolicy(m_dm));
    const QByteArray expanded = Smileys(m_dm).ExpandSmileys(safe);
    const QByteArray nameColor = sender != m_dm.OwnNick ? "800000" : "000080";
    const QByteArray line = "<font size=\"3\" color=\"#" + nameColor + "\"><b>" + HtmlEscapeBytes(sender) +
                            "</b></font>: " + expanded + "<br> ";
    m_history.append(line);
    if (m_history.size() > MaxHistory) m_history.removeFirst();
    View->AppendLine(line);
}

void TMsgForm::StartFlash() {
    m_flashTimer->SetEnabled(true);
}

void TMsgForm::StopFlash() {
    m_flashTimer->SetEnabled(false);
    m_flashPhase = false;
    setWindowIcon(normalIcon());
    const int row = m_dm.MsgFormTable.Find("FormName", m_formName, Qt::CaseInsensitive);
    if (row >= 0 && m_dm.MsgFormTable.ValueAt(row, "Flash") == "1") {
        m_dm.MsgFormTable.SetRecNo(row);
        m_dm.MsgFormTable.SetValue("Flash", "0");
    }
}

bool TMsgForm::Flashing() const {
    return m_flashTimer->Enabled();
}

void TMsgForm::flashTick() {
    m_flashPhase = !m_flashPhase;
    setWindowIcon(m_flashPhase ? DotIcon(QColor(255, 140, 0)) : normalIcon());
}

void TMsgForm::SetStatus(const QString& text, const QColor& colour) {
    m_statusColor = colour;
    StatusLabel->setText(text);
    StatusLabel->setStyleSheet("color: " + colour.name() + ";");
}

QString TMsgForm::StatusText() const {
    return StatusLabel->text();
}

QColor TMsgForm::StatusColor() const {
    return m_statusColor;
}

void TMsgForm::SetTyping(const QByteArray& nick, bool stopped) {
    const QDateTime now = net::Clock::Now();
    m_typists.SetTyping(nick, stopped, now);
    refreshTyping();
    if (stopped) m_typingSender.Rearm(now);
}

void TMsgForm::refreshTyping() {
    const QByteArray text = m_typists.Refresh(net::Clock::Now());
    if (!m_typists.IsEmpty()) m_typingTimer->SetEnabled(true);
    SetStatus(session::FromAnsi(text), m_statusColor);
}

void TMsgForm::typingKey() {
    if (!m_typingSender.KeyPressed(net::Clock::Now())) return;
    if (m_dm.MainClient && m_dm.MainClient->Active()) m_dm.SendCmd("Typing", {m_dm.OwnNick, "", m_peer});
}

void TMsgForm::Send() {
    m_typingSender.Rearm(net::Clock::Now());
    const bool connected = m_dm.MainClient && m_dm.MainClient->Active();
    QByteArray shown;
    const QByteArray fragment = ComposeMessage(memoBytes(Memo, m_sendCharset), m_style, connected, &shown);
    if (fragment.isEmpty()) {
        // Nothing goes out; the box keeps what was typed (with markup already escaped when it was looked at).
        if (!shown.isEmpty() && shown != memoBytes(Memo, m_sendCharset)) {
            QByteArray t = shown;
            t.replace("\r\n", "\n");
            Memo->setPlainText(DecodeWithCharset(t, m_sendCharset));
            Memo->moveCursor(QTextCursor::End);
        }
        if (Memo->isVisible()) Memo->setFocus();
        return;
    }
    m_dm.SendCmd("PrivMsg", {m_peer, m_dm.OwnNick, net::StripMarks(fragment), net::StripMarks(m_formName)});
    SetStatus(session::LangText(27), SkinColor(m_dm.Skin.LabelColor));
    AddMessageLine(m_dm.OwnNick, fragment);
    Memo->clear();
    Memo->setFocus();
}

void TMsgForm::ClearMyTextChat() {
    m_history.clear();
    View->setStyleSheet(session::EditBackgroundCss(m_dm));
    m_history.append(QByteArray());
    View->Reload(m_history);
}

void TMsgForm::SetViewCharset(int charset) {
    View->SetCharset(charset);
    WriteCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/ChatCharset.dat"), charset);
    View->Reload(m_history);
}

void TMsgForm::SetSendCharset(int charset) {
    m_sendCharset = charset;
    WriteCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/SendCharset.dat"), charset);
    View->Reload(m_history);
}

void TMsgForm::applyMemoFont() {
    QFont f = Memo->font();
    if (!m_style.face.isEmpty()) f.setFamily(session::FromAnsi(m_style.face));
    const int index = std::clamp(m_style.size.toInt() - 1, 0, 3);
    f.setPointSize(pointSizes[index]);
    f.setBold(m_style.bold);
    f.setItalic(m_style.italic);
    Memo->setFont(f);
    QPalette pal = Memo->palette();
    pal.setColor(QPalette::Text, SkinColor(m_style.colour));
    Memo->setPalette(pal);
}

void TMsgForm::saveStyle() {
    if (m_busy) return;
    m_styleFile.bold = m_style.bold;
    m_styleFile.italic = m_style.italic;
    m_styleFile.sizeIndex = std::clamp(m_style.size.toInt() - 1, 0, 3);
    m_styleFile.colour = m_style.colour;
    m_styleFile.face = m_style.face;
    const QString dir = AppPaths::PathIn(m_dm.AppDir, "Data");
    if (QDir(dir).exists()) m_styleFile.Save(AppPaths::PathIn(m_dm.AppDir, "Data/chatcolor.dat"));
}

void TMsgForm::InitMessageWindow() {
    m_busy = true;
    session::ApplySkin(this, m_dm);
    View->setStyleSheet(session::EditBackgroundCss(m_dm));
    if (!m_dm.FontName.isEmpty()) View->document()->setDefaultFont(QFont(session::FromAnsi(m_dm.FontName)));
    SizeBox->setCurrentIndex(2);
    m_style.size = "3";
    m_style.bold = true;
    m_style.italic = false;
    m_style.underline = false;
    View->SetCharset(ReadCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/ChatCharset.dat")));
    m_sendCharset = ReadCharsetFile(AppPaths::PathIn(m_dm.AppDir, "Data/SendCharset.dat"));
    const QString stylePath = AppPaths::PathIn(m_dm.AppDir, "Data/chatcolor.dat");
    if (QFile::exists(stylePath)) {
        m_styleFile = ChatStyleFile::Load(stylePath);
        m_styleFile.ApplyTo(m_style);
        if (m_style.face.trimmed().isEmpty()) m_style.face = "Tahoma";
    }
    BoldButton->setChecked(m_style.bold);
    ItalicButton->setChecked(m_style.italic);
    SizeBox->setCurrentIndex(std::clamp(m_style.size.toInt() - 1, 0, 3));
    FontBox->setCurrentFont(QFont(session::FromAnsi(m_style.face)));
    // The font list may substitute another family; the style keeps the face that was saved.
    applyMemoFont();

    const QList<QByteArray> lines =
        formats::ReadLines(AppPaths::PathIn(m_dm.AppDir, "Data/pmform.dat")).value_or(QList<QByteArray>());
    if (lines.size() >= 4) {
        const QSize screen = this->screen() ? this->screen()->size() : QSize(1024, 768);
        bool ok = false;
        int top = lines[0].trimmed().toInt(&ok);
        if (!ok) top = y();
        int left = lines[1].trimmed().toInt(&ok);
        if (!ok) left = x();
        top = std::max(top, 0);
        left = std::max(left, 0);
        if (top > screen.height()) top = screen.height() - 100;
        if (left > screen.width()) left = screen.width() - 100;
        const int w = lines[2].trimmed().toInt(&ok);
        const int h = lines[3].trimmed().toInt(&ok);
        move(left, top);
        if (w > 0 && h > 0) resize(std::clamp(w, 508, screen.width()), std::clamp(h, 100, screen.height()));
    }
    m_busy = false;
}

void TMsgForm::savePlacement() {
    const QString dir = AppPaths::PathIn(m_dm.AppDir, "Data");
    if (!QDir(dir).exists()) return;
    QFile f(AppPaths::PathIn(m_dm.AppDir, "Data/pmform.dat"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(QByteArray::number(y()) + "\r\n" + QByteArray::number(x()) + "\r\n" +
            QByteArray::number(width()) + "\r\n" + QByteArray::number(height()) + "\r\n");
}

QVariant TMsgForm::imageFor(const QUrl& url) {
    return m_pictures->Request(url);
}

bool TMsgForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const auto mods = key->modifiers();
    if (key->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (key->key() == Qt::Key_S && mods == Qt::AltModifier) {
        Send();
        return true;
    }
    if ((key->key() == Qt::Key_C || key->key() == Qt::Key_Insert) && mods == Qt::ControlModifier &&
        View->textCursor().hasSelection()) {
        QApplication::clipboard()->setText(View->textCursor().selectedText().replace(QChar(0x2029), '\n'));
        return true;
    }
    if (watched == Memo) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (mods == Qt::ControlModifier) {
                Memo->insertPlainText("\n");
                return true;
            }
            Memo->moveCursor(QTextCursor::End);
            m_enterTimer->SetEnabled(true);
            return true;
        }
        typingKey();
        return false;
    }
    if (watched == View && !key->text().isEmpty() && key->text()[0].isPrint() &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        Memo->moveCursor(QTextCursor::End);
        Memo->insertPlainText(key->text());
        Memo->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMsgForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_S && event->modifiers() == Qt::AltModifier) {
        Send();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMsgForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        InitMessageWindow();
    }
    if (x() < 0 || y() < 0) move(std::max(x(), 0), std::max(y(), 0));
}

void TMsgForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        if (windowState() & Qt::WindowMinimized) {
            m_minimized = true;
        } else if (m_minimized) {
            m_minimized = false;
            StopFlash();
            Memo->setFocus();
            Memo->moveCursor(QTextCursor::End);
        }
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        StopFlash();
        if (Memo->isVisible()) Memo->setFocus();
    }
}

void TMsgForm::closeEvent(QCloseEvent* event) {
    session::MemoryTable& t = m_dm.MsgFormTable;
    const int own = t.Find("FormName", m_formName, Qt::CaseSensitive);
    if (own >= 0) t.DeleteRow(own);
    // A row of the same peer that belongs to another open window (a second window for a different spelling of
    // the name) stays: deleting it would cut that window off from its messages.
    const int other = t.Find("Name", m_peer, Qt::CaseInsensitive);
    if (other >= 0 && !FindByFormName(t.ValueAt(other, "FormName"))) t.DeleteRow(other);
    m_flashTimer->SetEnabled(false);
    m_typingTimer->SetEnabled(false);
    m_enterTimer->SetEnabled(false);
    saveStyle();
    savePlacement();
    QWidget::closeEvent(event);
}

} // namespace korvex::contacts
