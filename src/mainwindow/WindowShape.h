#pragma once
#include <QRegion>

// The window's visible region: the rectangle reaching one pixel beyond each
// edge (-1, -1, W + 1, H + 1) with 20 x 20 corner ellipses. A pixel belongs
// to it when its centre lies inside the rounded rectangle, so the corners
// come out the same at every size.
QRegion RoundedWindowRegion(int width, int height);
