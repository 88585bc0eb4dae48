#pragma once

#include <QRect>

namespace tw::shell {

// Layouts are given in twips (1/1440 inch); 15 twips make a pixel at 96 dpi.
// The screen's logical DPI scales them.
int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);

} // namespace tw::shell
