#include "shell/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tw::shell {

int Twips(int twips)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return int(std::lround(twips * dpi / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

} // namespace tw::shell
