#include "mainwindow/WindowShape.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double CornerRadius = 10.0; // half of the 20-pixel ellipse
}

QRegion RoundedWindowRegion(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    // Ellipse centres: the outer rectangle starts at -1 and ends at W + 1.
    const double left = -1.0 + CornerRadius, right = width + 1.0 - CornerRadius;
    const double top = -1.0 + CornerRadius, bottom = height + 1.0 - CornerRadius;
    QRegion region;
    int y = 0;
    while (y < height) {
        const double cy = y + 0.5;
        double dy = 0.0;
        if (cy < top)
            dy = top - cy;
        else if (cy > bottom)
            dy = cy - bottom;
        if (dy == 0.0) {
            // Rows between the corners are whole; add them as one block.
            int last = y;
            while (last + 1 < height && last + 1.5 >= top && last + 1.5 <= bottom)
                ++last;
            region += QRect(0, y, width, last - y + 1);
            y = last + 1;
            continue;
        }
        if (dy < CornerRadius) {
            const double dx = std::sqrt(CornerRadius * CornerRadius - dy * dy);
            const int x0 = std::max(0, static_cast<int>(std::ceil(left - dx - 0.5)));
            const int x1 = std::min(width - 1, static_cast<int>(std::floor(right + dx - 0.5)));
            if (x1 >= x0)
                region += QRect(x0, y, x1 - x0 + 1, 1);
        }
        ++y;
    }
    return region;
}
