#include "session/TFirstForm.h"

#include "formats/IniFile.h"
#include "net/TBBClient.h"
#include "platform/Timer.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"
#include "session/TNewForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvex::session {

namespace {
constexpr int MaxNickLength = 26;
const char* const AutoCaption = "Login Automatically";
} // namespace

TFirstForm::TFirstForm(TDM& dm, QWidget* parent) : QWidget(parent), m_dm(dm) {
    NameBox = new QComboBox;
    NameBox->setEditable(true);
    PassEdit = new QLineEdit;
    PassEdit->setEchoMode(QLineEdit::Password);
    SaveBox = new QCheckBox("Save password");
    cbLoginAuto = new QCheckBox(AutoCaption);
    rbHighSpeed = new QRadioButton("High Speed (broadband)");
    rbLowSpeed = new QRadioButton("Low Speed (dial up)");
    NewBut = new QPushButton("Register New User");
    LoginBut = new QPushButton("Login");
    StatusLabel = new QLabel;
    lblVersion = new QLabel("Version 3.26  ");
    TimerLogin = new platform::Timer(1000, this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("NickName:"), 0, 0);
    grid->addWidget(NameBox, 0, 1);
    grid->addWidget(new QLabel("Password:"), 1, 0);
    grid->addWidget(PassEdit, 1, 1);
    auto* speed = new QVBoxLayout;
    speed->addWidget(new QLabel("Connection Speed:"));
    speed->addWidget(rbHighSpeed);
    speed->addWidget(rbLowSpeed);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(NewBut);
    buttons->addStretch();
    buttons->addWidget(LoginBut);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(SaveBox);
    layout->addWidget(cbLoginAuto);
    layout->addLayout(speed);
    layout->addLayout(buttons);
    layout->addWidget(StatusLabel);
    layout->addWidget(lblVersion);

    UpdateCaption();
    NameBox->lineEdit()->setMaxLength(MaxNickLength);
    connect(LoginBut, &QPushButton::clicked, this, [this] { LoginButClick(); });
    connect(NewBut, &QPushButton::clicked, this, [this] { NewButClick(); });
    connect(cbLoginAuto, &QCheckBox::clicked, this, [this] {
        cbLoginAutoClick();
        CheckBoxMouseUp();
    });
    connect(SaveBox, &QCheckBox::clicked, this, [this] { CheckBoxMouseUp(); });
    connect(rbHighSpeed, &QRadioButton::clicked, this, [this] { StopAuto(); });
    connect(rbLowSpeed, &QRadioButton::clicked, this, [this] { StopAuto(); });
    connect(NameBox, &QComboBox::editTextChanged, this, [this](const QString& t) { NameBoxChange(t); });
    connect(TimerLogin, &platform::Timer::OnTimer, this, [this] { TimerLoginTimer(); });
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    m_dm.FirstForm = this;
}

TFirstForm::~TFirstForm() = default;

void TFirstForm::UpdateCaption() {
    setWindowTitle("Korvex Logon  " + FromAnsi(m_dm.MailAddress));
}

void TFirstForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplySkin(this, m_dm);
    if (m_firstShow) {
        m_firstShow = false;
        FormShow();
    }
}

void TFirstForm::FormShow() {
    formats::IniFile ini(m_dm.IniPath());
    m_dm.AutoLogonActive = ini.ReadBool("Config", "AutoLogin", false);
    cbLoginAuto->setChecked(m_dm.AutoLogonActive);
    m_dm.SavePassword = ini.ReadBool("Config", "SavePassword", false);
    SaveBox->setChecked(m_dm.SavePassword);
    {
        const QSignalBlocker block(NameBox);
        NameBox->setEditText(FromAnsi(ini.ReadString("Main", "UserName")));
    }
    if (m_dm.AutoLogonActive) TimerLogin->SetEnabled(true);
    raise();
    activateWindow();
    setControlsEnabled(false);
    fillNames();
    UpdateCaption();
    if (m_dm.SavePassword) {
        if (const auto acc = m_dm.FindAccount(ToAnsi(NameBox->currentText()))) {
            m_dm.MailUser = acc->name;
            m_dm.MailPassword = acc->pass;
            PassEdit->setText(FromAnsi(acc->pass));
        }
    }
    (m_dm.HighSpeed ? rbHighSpeed : rbLowSpeed)->setChecked(true);
    SetStatus("Connecting...");
    m_dm.StartConnection();
}

void TFirstForm::fillNames() {
    const QString text = NameBox->currentText();
    const QSignalBlocker block(NameBox);
    NameBox->clear();
    for (const auto& a : m_dm.Accounts())
        NameBox->addItem(FromAnsi(a.name));
    NameBox->setEditText(text);
}

void TFirstForm::setControlsEnabled(bool enabled) {
    NameBox->setEnabled(enabled);
    PassEdit->setEnabled(enabled);
    NewBut->setEnabled(enabled);
    LoginBut->setEnabled(enabled);
}

void TFirstForm::SetStatus(const QString& text) {
    StatusLabel->setText(text);
}

void TFirstForm::SetConnecting() {
    SetStatus("Connecting...");
    setControlsEnabled(false);
}

void TFirstForm::SetReady() {
    SetStatus("Ready");
    setControlsEnabled(true);
    cbLoginAuto->setEnabled(true);
    cbLoginAutoClick();
    emit Ready();
}

void TFirstForm::EnableButtons() {
    NewBut->setEnabled(true);
    LoginBut->setEnabled(true);
}

void TFirstForm::cbLoginAutoClick() {
    Counter = 10;
    if (cbLoginAuto->isChecked() && !NameBox->currentText().trimmed().isEmpty() &&
        !PassEdit->text().trimmed().isEmpty())
        TimerLogin->SetEnabled(true);
}

void TFirstForm::CheckBoxMouseUp() {
    formats::IniFile ini(m_dm.IniPath());
    ini.WriteBool("Config", "AutoLogin", cbLoginAuto->isChecked());
    ini.WriteBool("Config", "SavePassword", SaveBox->isChecked());
    ini.UpdateFile();
    m_dm.SavePassword = SaveBox->isChecked();
    StopAuto();
    if (cbLoginAuto->isChecked()) {
        Counter = 10;
        if (!NameBox->currentText().trimmed().isEmpty()) TimerLogin->SetEnabled(true);
    }
}

void TFirstForm::TimerLoginTimer() {
    if (!cbLoginAuto->isChecked() || !cbLoginAuto->isEnabled()) return;
    --Counter;
    cbLoginAuto->setText(QString("%1 (%2)").arg(AutoCaption).arg(Counter));
    if (Counter <= 0) {
        m_dm.AutoLogonActive = true;
        LoginButClick(true);
        TimerLogin->SetEnabled(false);
    }
}

void TFirstForm::StopAuto() {
    TimerLogin->SetEnabled(false);
    cbLoginAuto->setText(AutoCaption);
}

bool TFirstForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        StopAuto();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (LoginBut->isEnabled()) LoginButClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFirstForm::NameBoxChange(const QString& text) {
    StopAuto();
    if (text.size() > MaxNickLength) {
        const QSignalBlocker block(NameBox);
        NameBox->setEditText(text.left(MaxNickLength));
        NameBox->lineEdit()->setCursorPosition(MaxNickLength);
    }
    if (const auto acc = m_dm.FindAccount(ToAnsi(NameBox->currentText()))) {
        m_dm.MailUser = acc->name;
        m_dm.MailPassword = acc->pass;
        PassEdit->setText(FromAnsi(acc->pass));
    }
}

void TFirstForm::LoginButClick(bool fromCountdown) {
    if (!fromCountdown) m_dm.AutoLogonActive = false;
    StopAuto();
    m_dm.HighSpeed = rbHighSpeed->isChecked();
    m_dm.WriteOptLine(2, m_dm.HighSpeed ? "1" : "0");

    if (const auto acc = m_dm.FindAccount(ToAnsi(NameBox->currentText()))) {
        m_dm.MailUser = acc->name;
        if (cbLoginAuto->isChecked() && PassEdit->text().isEmpty()) {
            m_dm.MailPassword = acc->pass;
            PassEdit->setText(FromAnsi(acc->pass));
        }
        m_dm.MailAddress = acc->email;
        const QSignalBlocker block(NameBox);
        NameBox->setEditText(FromAnsi(acc->name));
        UpdateCaption();
        lblVersion->setText("Version 3.26  " + FromAnsi(m_dm.MailAddress));
    }

    const QByteArray nick = ToAnsi(NameBox->currentText().trimmed());
    const QByteArray pass = ToAnsi(PassEdit->text());
    if (nick.size() < 3) {
        ShowMessage(DialogKind::Error, LangText(17));
        NameBox->setFocus();
    } else if (pass.size() < 5) {
        ShowMessage(DialogKind::Error, LangText(18));
        PassEdit->setFocus();
    } else {
        if (m_dm.MainClient->Active()) m_dm.SendCmd("Login", {nick, pass, m_dm.MacAddress, m_dm.PcId()});
        LoginBut->setEnabled(false);
        NewBut->setEnabled(false);
        formats::WriteIniString(m_dm.IniPath(), "Main", "UserName", nick);
        m_dm.SaveAccount(nick, m_dm.SavePassword ? pass : QByteArray(), nick + "@" + m_dm.MailDomain);
    }
    TimerLogin->SetEnabled(false);
}

void TFirstForm::NewButClick() {
    StopAuto();
    m_dm.AutoLogonActive = false;
    if (!m_dm.NewForm) m_dm.NewForm = new TNewForm(m_dm);
    TNewForm* form = m_dm.NewForm;
    form->setTitles(LangText(12));
    connect(
        form, &TNewForm::Closed, this,
        [this] {
            show();
            LoginButClick();
            TimerLogin->SetEnabled(false);
        },
        Qt::SingleShotConnection);
    hide();
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
}

void TFirstForm::SelectRegisteredAccount(const QByteArray& nick, const QByteArray& password) {
    const QSignalBlocker block(NameBox);
    int index = NameBox->findText(FromAnsi(nick), Qt::MatchExactly);
    if (index < 0) {
        NameBox->addItem(FromAnsi(nick));
        index = NameBox->count() - 1;
    }
    NameBox->setCurrentIndex(index);
    PassEdit->setText(FromAnsi(password));
    show();
}

void TFirstForm::CloseAfterLogon() {
    m_closingForLogon = true;
    close();
    deleteLater();
}

void TFirstForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!m_closingForLogon && !m_dm.MainForm && m_dm.CloseApplication) m_dm.CloseApplication();
}

} // namespace korvex::session
