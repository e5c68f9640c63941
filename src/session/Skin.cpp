#include "session/Skin.h"

#include "session/TDM.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QWidget>

namespace korvex::session {

using formats::SkinStyle;

QString ColorCss(uint32_t color) {
    return QString::fromLatin1(formats::ColorHtml(color));
}

namespace {
QString lighter(uint32_t c, int pct) {
    return QColor(QString::fromLatin1(formats::ColorHtml(c))).lighter(pct).name();
}

QString buttonLook(SkinStyle style, uint32_t button, uint32_t border) {
    const QString b = ColorCss(button), hi = lighter(button, 125), lo = lighter(button, 85),
                  br = ColorCss(border);
    switch (style) {
    case SkinStyle::WinXP:
        return QString("background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 %1, stop:1 %2);"
                       "border: 1px solid %3; border-radius: 3px; padding: 3px 10px;")
            .arg(hi, lo, br);
    case SkinStyle::MacOS:
        return QString(
                   "background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 #FFFFFF, stop:0.5 %1, stop:1 %2);"
                   "border: 1px solid %3; border-radius: 10px; padding: 3px 14px;")
            .arg(b, lo, br);
    case SkinStyle::DeepBlue:
        return QString("background: %1; border: 2px outset %2; padding: 3px 10px;").arg(b, br);
    case SkinStyle::BlueGlass:
        return QString(
                   "background: qlineargradient(x1:0,y1:0,x2:0,y2:1, stop:0 %1, stop:0.49 %2, stop:0.5 %3, "
                   "stop:1 %1); border: 1px solid %4; border-radius: 5px; padding: 3px 10px;")
            .arg(hi, b, lo, br);
    case SkinStyle::Protein:
        return QString("background: qradialgradient(cx:0.5,cy:0.3,radius:0.9, stop:0 %1, stop:1 %2);"
                       "border: 1px solid %3; border-radius: 2px; padding: 3px 10px;")
            .arg(hi, lo, br);
    }
    return {};
}
} // namespace

QString SkinStyleSheet(const formats::SkinSettings& s, const QByteArray& fontName, int labelSize,
                       int buttonSize, int editSize, int titleSize) {
    const QString font =
        fontName.isEmpty() ? QString() : QString("font-family: \"%1\";").arg(FromAnsi(fontName));
    auto pt = [](int size) { return size > 0 ? QString("font-size: %1pt;").arg(size) : QString(); };
    const SkinStyle buttons = formats::StyleOf(s.ButtonStyle);
    const SkinStyle title = formats::StyleOf(s.MainStyle);
    QString css;
    css += QString("QWidget#korvexWindow, QDialog { background: %1; border: %2px solid %3; %4 }\n")
               .arg(ColorCss(s.FormColor))
               .arg(s.FormBorderWidth)
               .arg(ColorCss(s.FormBorderColor), font);
    css += QString("QLabel { color: %1; %2 %3 }\n").arg(ColorCss(s.LabelColor), font, pt(labelSize));
    css += QString("QLabel[title=\"true\"] { color: %1; font-weight: bold; %2 %3 }\n")
               .arg(ColorCss(s.TitleColor), font, pt(titleSize));
    if (title == SkinStyle::MacOS || title == SkinStyle::BlueGlass)
        css += "QLabel[title=\"true\"] { font-style: italic; }\n";
    css += QString("QPushButton { color: %1; %2 %3 %4 }\n")
               .arg(ColorCss(s.ButtonFontColor), buttonLook(buttons, s.ButtonColor, s.FormBorderColor), font,
                    pt(buttonSize));
    css += QString("QPushButton:disabled { color: gray; }\n");
    css += QString("QLineEdit, QComboBox, QListWidget, QTreeView, QListView, QTextBrowser, QSpinBox "
                   "{ background: %1; border: 1px solid %2; %3 %4 }\n")
               .arg(ColorCss(s.EditColor), ColorCss(s.EditBorderColor), font, pt(editSize));
    css += QString("QCheckBox, QRadioButton { color: %1; %2 %3 }\n")
               .arg(ColorCss(s.LabelColor), font, pt(editSize));
    return css;
}

void ApplySkin(QWidget* window, const TDM& dm) {
    if (window->objectName().isEmpty()) window->setObjectName("korvexWindow");
    window->setStyleSheet(SkinStyleSheet(dm.Skin, dm.FontName, dm.LabelFontSize, dm.ButtonFontSize,
                                         dm.EditFontSize, dm.TitleFontSize));
}

QString EditBackgroundCss(const TDM& dm) {
    return "background: " + ColorCss(dm.Skin.EditColor) + ";";
}

void ApplyListImage(QAbstractScrollArea* list, const TDM& dm) {
    if (dm.Skin.ListImage.isEmpty()) return;
    const QImage image = QImage::fromData(dm.Skin.ListImage);
    if (image.isNull()) return;
    QPalette pal = list->viewport()->palette();
    pal.setBrush(QPalette::Base, QBrush(image));
    list->viewport()->setPalette(pal);
}

void ApplySkinToAll(const TDM& dm) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "korvexWindow") ApplySkin(w, dm);
}

} // namespace korvex::session
