#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvex::rooms {

// "Data/customcolor.dat": the colour dialog's custom colours, one Windows colour value (0x00BBGGRR, decimal)
// per line, at most the dialog's 16 slots. Lines that are not such a value are skipped.
constexpr int CustomColourSlots = 16;
QList<quint32> LoadCustomColours(const QString& path);
bool SaveCustomColours(const QString& path, const QList<quint32>& colours);

// The list with the current colour in the first slot (once), cut to the dialog's slots.
QList<quint32> WithCurrentColour(QList<quint32> colours, quint32 current);

} // namespace korvex::rooms
