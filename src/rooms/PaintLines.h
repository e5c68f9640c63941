#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace korvex::rooms {

// Received drawings are kept in "Data/Temp", named by the local time of arrival (yyyyMMddhhmmss). A second
// drawing in the same second gets "-2", "-3", ... so that none replaces another that a chat line still shows.
QString UniquePictureName(const QString& tempDir, const QDateTime& arrival);

// The history line of a drawing: the sender's (already filtered) name label, then the picture from its file.
QByteArray PaintLineHtml(const QByteArray& label, const QString& picturePath);

// Whether a file:/// picture a chat line asks for is one of the received drawings; only the last path segment
// of such a source is looked up, in "Data/Temp", so a line cannot make the view read other files.
bool IsTempPictureSource(const QString& fileName);

} // namespace korvex::rooms
