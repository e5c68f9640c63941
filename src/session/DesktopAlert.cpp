#include "session/DesktopAlert.h"

#include "platform/Timer.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace korvex::session {

DesktopAlert::DesktopAlert(const QString& header, int displayMs, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_displayMs(displayMs) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* title = new QLabel("<b>" + header.toHtmlEscaped() + "</b>");
    auto* close = new QPushButton("x");
    close->setFlat(true);
    close->setFixedSize(18, 18);
    m_text = new QLabel;
    m_text->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addStretch();
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_text);
    setStyleSheet("DesktopAlert, QWidget { background: #FFFFE8; } QWidget { border: none; }");
    setFixedWidth(240);
    m_timer = new platform::Timer(displayMs, this);
    m_timer->SetSingleShot(true);
    connect(m_timer, &platform::Timer::OnTimer, this, &QWidget::hide);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void DesktopAlert::Execute(const QString& text) {
    m_text->setText(text);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 8, area.bottom() - height() - 8);
    }
    show();
    m_timer->SetEnabled(true);
}

QString DesktopAlert::Text() const {
    return m_text->text();
}

void DesktopAlert::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    emit Clicked();
    hide();
}

} // namespace korvex::session
