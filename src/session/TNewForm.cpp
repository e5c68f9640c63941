#include "session/TNewForm.h"

#include "formats/IniFile.h"
#include "net/TBBClient.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"
#include "session/TFirstForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace korvex::session {

bool IsValidNickname(const QByteArray& nick) {
    if (nick.size() < 4) return false;
    for (char c : nick) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

TNewForm::TNewForm(TDM& dm, QWidget* parent) : QWidget(parent), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    NameEdit = new QLineEdit;
    NameEdit->setMaxLength(26);
    PassEdit = new QLineEdit;
    PassEdit->setEchoMode(QLineEdit::Password);
    Pass2Edit = new QLineEdit;
    Pass2Edit->setEchoMode(QLineEdit::Password);
    CountryBox = new QComboBox;
    SexBox = new QComboBox;
    SexBox->addItems({"Male", "Female"});
    SexBox->setCurrentIndex(-1);
    AgeBox = new QLineEdit;
    AgeBox->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), AgeBox));
    EmailEdit = new QLineEdit;
    OKBut = new QPushButton("Register");
    ExitBut = new QPushButton("Exit");
    TitleLabel = new QLabel("Register New User");
    TitleLabel->setProperty("title", true);

    auto* form = new QFormLayout;
    form->addRow("NickName:", NameEdit);
    form->addRow("Password:", PassEdit);
    form->addRow("Confirm Password:", Pass2Edit);
    form->addRow("Country:", CountryBox);
    form->addRow("Gender:", SexBox);
    form->addRow("Age:", AgeBox);
    form->addRow("Email:", EmailEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBut);
    buttons->addWidget(ExitBut);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setWindowTitle("Register new user");
    connect(OKBut, &QPushButton::clicked, this, [this] { OKButClick(); });
    connect(ExitBut, &QPushButton::clicked, this, &QWidget::close);
}

void TNewForm::setTitles(const QString& text) {
    if (text.isEmpty()) return;
    setWindowTitle(text);
    TitleLabel->setText(text);
}

void TNewForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplySkin(this, m_dm);
    if (!m_dm.CountryTable.IsEmpty()) {
        const QString current = CountryBox->currentText();
        CountryBox->clear();
        for (const QByteArray& name : m_dm.CountryTable.Column("Name"))
            CountryBox->addItem(FromAnsi(name));
        CountryBox->setCurrentIndex(CountryBox->findText(current));
    }
}

void TNewForm::OKButClick() {
    if (PassEdit->text() != Pass2Edit->text()) {
        ShowMessage(DialogKind::Warning, "Passwords do not match.");
        return;
    }
    const QByteArray nick = ToAnsi(NameEdit->text());
    if (!IsValidNickname(nick)) {
        ShowMessage(DialogKind::Warning,
                    "Not a valid nickname. Only \"a\"..\"z\", \"0\"..\"9\", \"_\", \"-\", \".\" "
                    "characters allowed, minimum length 4.");
        return;
    }
    const QByteArray pass = ToAnsi(PassEdit->text());
    if (pass.size() < 5) {
        ShowMessage(DialogKind::Error, LangText(16));
        PassEdit->setFocus();
        return;
    }
    QByteArray code;
    const int row = m_dm.CountryTable.Find("Name", ToAnsi(CountryBox->currentText()), Qt::CaseSensitive);
    if (row >= 0 && CountryBox->currentIndex() >= 0) code = m_dm.CountryTable.ValueAt(row, "N");
    if (m_dm.MainClient->Active())
        m_dm.SendCmd("NewUser", {nick, pass, code, ToAnsi(SexBox->currentText()), ToAnsi(AgeBox->text()),
                                 m_dm.MacAddress, ToAnsi(EmailEdit->text()), m_dm.PcId()});
    // The password is kept on disk only when the user asked for saved passwords.
    m_dm.SaveAccount(nick, m_dm.SavePassword ? pass : QByteArray(), nick + "@" + m_dm.MailDomain);
    if (TFirstForm* logon = m_dm.FirstForm) {
        const QSignalBlocker block(logon->NameBox);
        logon->NameBox->setEditText(FromAnsi(nick));
        logon->PassEdit->setText(FromAnsi(pass));
    }
    m_dm.MailUser = nick;
    m_dm.MailPassword = pass;
    formats::WriteIniString(m_dm.IniPath(), "Main", "UserName", nick);
    close();
}

void TNewForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Closed();
}

} // namespace korvex::session
