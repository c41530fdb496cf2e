#pragma once
// The width a picture is shown at. The media information and the encoder both use it, so that
// the job list's size and the encoder's own description of a source agree.

#include <cmath>

// A DVD stores 16:9 as 720x576 with wide pixels (64:45): it is shown 1024 wide. Square or
// unknown pixels keep the stored width; the result is rounded to an even number, as encoders
// want. An absurd ratio from a damaged header is not believed.
inline int DisplayedWidth(int storedWidth, int aspectNum, int aspectDen) {
    if (aspectNum <= 0 || aspectDen <= 0 || aspectNum == aspectDen) {
        return storedWidth;
    }
    const double shown = static_cast<double>(storedWidth) * aspectNum / aspectDen;
    if (!(shown >= 2 && shown <= 8 * static_cast<double>(storedWidth) + 2)) {
        return storedWidth;
    }
    return 2 * static_cast<int>(std::lround(shown / 2));
}
