#pragma once

#include <QPixmap>
#include <QString>

// The game's pictures, by resource path (":/images/board.png"). Each is made once and shared.
// Where the build compiled in a decoded copy (":/decoded/images/board.png") that copy is used,
// which spares the start the PNG decoding; the PNG itself is the fallback.
namespace Pictures {

// A missing resource gives a null pixmap.
QPixmap pixmap(const QString &path);

} // namespace Pictures
