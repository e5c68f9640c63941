#pragma once

#include "formats/SkinFile.h"

#include <QByteArray>
#include <QString>

class QAbstractScrollArea;
class QWidget;

namespace korvex::session {

class TDM;

// The style sheet of a window from the skin settings and the configured fonts. The five styles of the skin
// (WinXP, MacOS, DeepBlue, BlueGlass, Protein) are five looks of buttons and title labels.
QString SkinStyleSheet(const formats::SkinSettings& skin, const QByteArray& fontName, int labelSize,
                       int buttonSize, int editSize, int titleSize);
QString ColorCss(uint32_t color);
// Sets the window's style sheet from the data module's settings; windows run it each time they are shown.
void ApplySkin(QWidget* window, const TDM& dm);
// The style sheet that gives a text box the skin's edit colour as its background.
QString EditBackgroundCss(const TDM& dm);
// Puts the skin's list picture, when it has one, behind the lines of a list.
void ApplyListImage(QAbstractScrollArea* list, const TDM& dm);
// Re-applies the skin to every open top-level window.
void ApplySkinToAll(const TDM& dm);

} // namespace korvex::session
