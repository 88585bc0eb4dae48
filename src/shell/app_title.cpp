#include "shell/app_title.h"

#include "shell/product.h"

#include <QCoreApplication>

namespace tw::shell {

namespace {
QString& installed()
{
    static QString title;
    return title;
}
} // namespace

QString TitleFromName(const QString& name)
{
    QString title = name;
    do {
        // No blank left: nothing before it survives, as a cut at position 0.
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        title = title.left(blank < 0 ? 0 : blank);
    } while (title.size() > 40);
    return title;
}

void SetApplicationTitle()
{
    installed() = TitleFromName(ProductName());
    QCoreApplication::setApplicationName(installed());
}

QString ApplicationTitle()
{
    if (installed().isEmpty())
        return TitleFromName(ProductName());
    return installed();
}

} // namespace tw::shell
