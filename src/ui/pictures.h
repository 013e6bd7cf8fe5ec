#pragma once

#include <QPixmap>
#include <QString>

// The game's pictures, by resource path (":/images/board.png"). Each is made once and shared.
// Where the build compiled in a decoded copy (":/decoded/images/board.png") that copy is used,
// which spares the start the PNG decoding; the PNG itself is the fallback.
//
// On a screen scaled above 100% a picture comes from its double-size copy ("board@2x.png")
// where there is one, with a device pixel ratio of 2: it takes the same room and stays sharp.
namespace Pictures {

// A missing resource gives a null pixmap. The density is the screens' highest device pixel
// ratio unless given.
QPixmap pixmap(const QString &path);
QPixmap pixmap(const QString &path, qreal density);

} // namespace Pictures
