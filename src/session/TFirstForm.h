#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvex::platform {
class Timer;
}

namespace korvex::session {

class TDM;

// The logon window: nickname, password, the save and auto-logon options, connection speed, "Login" and
// "Register New User". It opens the command connection on its first show and stays disabled until the
// server's version reply; closing it by hand before a logon ends the program.
class TFirstForm : public QWidget {
    Q_OBJECT
public:
    explicit TFirstForm(TDM& dm, QWidget* parent = nullptr);
    ~TFirstForm() override;

    QComboBox* NameBox;
    QLineEdit* PassEdit;
    QCheckBox* SaveBox;
    QCheckBox* cbLoginAuto;
    QRadioButton* rbHighSpeed;
    QRadioButton* rbLowSpeed;
    QPushButton* NewBut;
    QPushButton* LoginBut;
    QLabel* StatusLabel;
    QLabel* lblVersion;
    platform::Timer* TimerLogin;
    int Counter = 10;

    // Called by the data module.
    void SetStatus(const QString& text);
    void SetConnecting();
    void SetReady();
    void EnableButtons();
    void CloseAfterLogon();
    void SelectRegisteredAccount(const QByteArray& nick, const QByteArray& password);

    // Handlers (public so tests drive them as the controls do).
    void FormShow();
    void cbLoginAutoClick();
    void CheckBoxMouseUp();
    void TimerLoginTimer();
    void StopAuto();
    void LoginButClick(bool fromCountdown = false);
    void NameBoxChange(const QString& text);
    void NewButClick();
    void UpdateCaption();

signals:
    // The server's version reply enabled the window.
    void Ready();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setControlsEnabled(bool enabled);
    void fillNames();
    TDM& m_dm;
    bool m_firstShow = true;
    bool m_closingForLogon = false;
};

} // namespace korvex::session
