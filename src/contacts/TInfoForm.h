#pragma once

#include "net/Command.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace korvex::session {
class TDM;
}

namespace korvex::contacts {

// A user's profile: read-only for others, editable for the own user and for administrators; also carries out
// the server's demand for a new password (closing without one ends the program).
class TInfoForm : public QWidget {
    Q_OBJECT
public:
    explicit TInfoForm(session::TDM& dm, QWidget* parent = nullptr);
    // Fills the one profile window from an "RGetInfo", creating it when absent.
    static TInfoForm* FillFromReply(session::TDM& dm, const net::ParsedCommand& cmd);
    void OkClicked();
    bool EditLayout() const;
    bool Forced() const { return m_forced; }

    QByteArray Target;
    QStackedWidget* Pages;
    QLabel* ViewName;
    QLabel* ViewCountry;
    QLabel* ViewGender;
    QLabel* ViewAge;
    QLineEdit* NameEdit;
    QComboBox* CountryBox;
    QComboBox* GenderBox;
    QLineEdit* AgeEdit;
    QLabel* PasswordLabel;
    QLineEdit* PasswordEdit;
    QLineEdit* ConfirmEdit;
    QRadioButton* AllowAnyone;
    QRadioButton* OnlyContacts;
    QPushButton* ViewOk;
    QPushButton* EditOk;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillCountries();
    session::TDM& m_dm;
    bool m_forced = false;
};

} // namespace korvex::contacts
