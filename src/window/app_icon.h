#pragma once
// Velmora's icon, drawn rather than shipped: two lines of text whose unmatched
// characters stand out in the gap colour above a result line.

#include <QIcon>
#include <QImage>

namespace velmora {

QImage drawIcon(int size);
QIcon velmoraIcon();

}  // namespace velmora
