#pragma once

#include <QWidget>

class QLabel;

namespace korvex::platform {
class Timer;
}

namespace korvex::session {

// A small frameless window in the bottom-right corner of the desktop for a given time; a click on it emits
// Clicked, its "x" closes it.
class DesktopAlert : public QWidget {
    Q_OBJECT
public:
    DesktopAlert(const QString& header, int displayMs, QWidget* parent = nullptr);
    void Execute(const QString& text);
    QString Text() const;
    int DisplayMs() const { return m_displayMs; }

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* m_text;
    platform::Timer* m_timer;
    int m_displayMs;
};

} // namespace korvex::session
