#pragma once
#include <QFont>

// The font every window of the program is laid out for: the desktop's sans-serif face at
// 8 point. The fixed window sizes are chosen so that every text shows whole in it.
QFont DesignFont();
