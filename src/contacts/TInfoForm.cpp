#include "contacts/TInfoForm.h"

#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "net/TBBClient.h"
#include "session/Dialogs.h"
#include "session/Skin.h"
#include "session/TDM.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace korvex::contacts {

using session::DialogKind;
using session::FromAnsi;
using session::ToAnsi;

TInfoForm::TInfoForm(session::TDM& dm, QWidget* parent) : QWidget(parent, Qt::Window), m_dm(dm) {
    setAttribute(Qt::WA_DeleteOnClose);
    Pages = new QStackedWidget(this);

    auto* view = new QWidget(Pages);
    auto* vf = new QFormLayout(view);
    ViewName = new QLabel(view);
    ViewCountry = new QLabel(view);
    ViewGender = new QLabel(view);
    ViewAge = new QLabel(view);
    vf->addRow("Name:", ViewName);
    vf->addRow("Country:", ViewCountry);
    vf->addRow("Gender:", ViewGender);
    vf->addRow("Age:", ViewAge);
    ViewOk = new QPushButton("OK", view);
    vf->addRow(ViewOk);
    connect(ViewOk, &QPushButton::clicked, this, &QWidget::close);

    auto* edit = new QWidget(Pages);
    auto* ef = new QFormLayout(edit);
    NameEdit = new QLineEdit(edit);
    CountryBox = new QComboBox(edit);
    GenderBox = new QComboBox(edit);
    GenderBox->addItems({"", "Male", "Female"});
    AgeEdit = new QLineEdit(edit);
    PasswordLabel = new QLabel("Password:", edit);
    PasswordEdit = new QLineEdit(edit);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    ConfirmEdit = new QLineEdit(edit);
    ConfirmEdit->setEchoMode(QLineEdit::Password);
    AllowAnyone = new QRadioButton("Allow anyone to contact me", edit);
    OnlyContacts = new QRadioButton("Only allow users on my contact list to contact me", edit);
    AllowAnyone->setChecked(true);
    EditOk = new QPushButton("OK", edit);
    ef->addRow("Name:", NameEdit);
    ef->addRow("Country:", CountryBox);
    ef->addRow("Gender:", GenderBox);
    ef->addRow("Age:", AgeEdit);
    ef->addRow(PasswordLabel, PasswordEdit);
    ef->addRow("Confirm Password:", ConfirmEdit);
    ef->addRow("Private Messages:", AllowAnyone);
    ef->addRow("", OnlyContacts);
    ef->addRow(EditOk);
    connect(EditOk, &QPushButton::clicked, this, &TInfoForm::OkClicked);

    Pages->addWidget(view);
    Pages->addWidget(edit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pages);
    Ui().InfoForm = this;
}

bool TInfoForm::EditLayout() const {
    return Pages->currentIndex() == 1;
}

void TInfoForm::fillCountries() {
    CountryBox->clear();
    for (const QByteArray& name : m_dm.CountryTable.Column("Name"))
        CountryBox->addItem(FromAnsi(name));
}

TInfoForm* TInfoForm::FillFromReply(session::TDM& dm, const net::ParsedCommand& cmd) {
    TInfoForm* f = Ui().InfoForm;
    if (!f) f = new TInfoForm(dm);
    const QByteArray nick = cmd.field(1);
    f->setWindowTitle(FromAnsi(nick));
    f->Target = nick;
    const bool forcedFlag = cmd.field(6) == "Y";
    f->fillCountries();
    if (!forcedFlag) {
        f->show();
        session::ApplySkin(f, dm);
    }
    const QString gender = cmd.field(3) == "M" ? "Male" : "Female";
    const bool admin = dm.UserType == "3";
    const bool own = nick == dm.OwnNick;
    if (!own && !admin) {
        f->Pages->setCurrentIndex(0);
        f->ViewName->setText(FromAnsi(nick));
        f->ViewCountry->setText(FromAnsi(CountryName(dm, cmd.field(2))));
        f->ViewGender->setText(gender);
        f->ViewAge->setText(FromAnsi(cmd.field(4)));
        return f;
    }
    f->Pages->setCurrentIndex(1);
    f->NameEdit->setText(FromAnsi(nick));
    f->NameEdit->setEnabled(admin);
    const int countryRow =
        SafeNumber(cmd.field(2)) == 0
            ? -1
            : dm.CountryTable.Find("N", QByteArray::number(SafeNumber(cmd.field(2))), Qt::CaseSensitive);
    if (countryRow >= 0) f->CountryBox->setCurrentIndex(countryRow);
    f->GenderBox->setCurrentText(gender);
    f->AgeEdit->setText(FromAnsi(cmd.field(4)));
    // Someone else's profile starts without a password: the administrator's own password must never be sent
    // as that user's new one. An empty password then means "unchanged".
    const QString password = own ? FromAnsi(dm.OwnPassword) : QString();
    f->PasswordEdit->setText(password);
    f->ConfirmEdit->setText(password);
    (cmd.field(5) == "0" ? f->AllowAnyone : f->OnlyContacts)->setChecked(true);
    if (forcedFlag && own) {
        f->m_forced = true;
        session::ShowMessage(DialogKind::Information,
                             "For security reasons your password MUST be changed now. "
                             "Please enter a new password to continue.");
        f->PasswordEdit->clear();
        f->ConfirmEdit->clear();
        f->PasswordLabel->setText("New Password:");
        f->setWindowModality(Qt::ApplicationModal);
        f->show();
        session::ApplySkin(f, dm);
    } else if (forcedFlag) {
        f->show();
    }
    return f;
}

void TInfoForm::OkClicked() {
    const QByteArray name = ToAnsi(NameEdit->text());
    const QByteArray password = ToAnsi(PasswordEdit->text());
    const bool own = Target == m_dm.OwnNick;
    const bool keepPassword = !own && password.isEmpty() && ConfirmEdit->text().isEmpty();
    if (name.isEmpty()) {
        session::Dialogs().Ask(DialogKind::Information, session::LangText(33));
        return;
    }
    if (!keepPassword) {
        if (password.isEmpty()) {
            session::Dialogs().Ask(DialogKind::Information, session::LangText(33));
            return;
        }
        if (PasswordEdit->text() != ConfirmEdit->text()) {
            session::Dialogs().Ask(DialogKind::Warning, "Passwords do not match.");
            return;
        }
        if (password.trimmed().size() <= 4) {
            session::Dialogs().Ask(DialogKind::Warning, "Password must be at least 5 characters in length.");
            return;
        }
        if (m_forced && password == m_dm.OwnPassword) {
            session::Dialogs().Ask(DialogKind::Warning,
                                   "New password must be different to previous password.");
            return;
        }
    }
    const QByteArray country = CountryCode(m_dm, ToAnsi(CountryBox->currentText()));
    const QByteArray gender = ToAnsi(GenderBox->currentText());
    const QByteArray age = ToAnsi(AgeEdit->text());
    const QByteArray privacy = OnlyContacts->isChecked() ? "1" : "0";
    if (m_dm.MainClient && m_dm.MainClient->Active()) {
        if (own)
            m_dm.SendCmd("SetInfo", {m_dm.OwnNick, name, country, gender, age, password, privacy,
                                     m_forced ? QByteArray("Y") : QByteArray("N")});
        else
            m_dm.SendCmd("SetInfo", {Target, name, country, gender, age, password, privacy});
    }
    if (m_forced) {
        if (m_dm.SavePassword) m_dm.SaveAccount(m_dm.OwnNick, password, {});
        m_forced = false;
    }
    close();
}

void TInfoForm::closeEvent(QCloseEvent* event) {
    if (m_forced) {
        session::Dialogs().Ask(DialogKind::Warning,
                               "Your password was not changed - this application will terminate");
        if (Ui().Terminate) Ui().Terminate();
    }
    QWidget::closeEvent(event);
}

} // namespace korvex::contacts
