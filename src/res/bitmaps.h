#pragma once

#include <QIcon>
#include <QImage>

namespace tramlet {

// The program's pictures by id, drawn at their fixed pixel sizes. Pictures
// that sliders draw through a mask use the colour of their top-left pixel as
// the transparent colour. A null image for an unknown id.
QImage LoadBitmapResource(int id);

// The application icon at the usual sizes.
QIcon AppIcon();
QImage AppIconImage(int size);

}  // namespace tramlet
