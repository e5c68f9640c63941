#pragma once

#include <QString>
#include <QStringList>

namespace korvex::platform {

// Only these schemes are opened from chat, banners and server replies; anything else (file:, javascript:, a
// local path) could run or reveal local things.
bool IsOpenableAddress(const QString& address);
// Opens an openable address with the desktop's handler; false (nothing opened) otherwise.
bool OpenWebAddress(const QString& address);

// The desktop's recording mixer: KORVEX_MIXER_COMMAND when set, else "pavucontrol --tab=4" when pavucontrol
// is installed; empty when there is none.
QStringList RecordingMixerCommand();
bool OpenRecordingMixer();

} // namespace korvex::platform
