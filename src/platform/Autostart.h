#pragma once

#include <QString>

namespace korvex::platform {

// Starting with the desktop session: the entry "korvex.desktop" in the autostart folder
// ($XDG_CONFIG_HOME/autostart). The entry of the old "Korvex v3.13" program is removed first; then, when
// enabled, the entry is written unless it already starts this executable; when disabled it is removed.
// autostartDir empty: the user's autostart folder.
void SetStartWithWindows(bool enabled, const QString& executable, const QString& autostartDir = {});
QString AutostartDir();

} // namespace korvex::platform
