#include "transfer/side_names.h"

namespace tw::transfer {

namespace {

qsizetype nameSize(Direction direction, QStringView name)
{
    // UTF-16 units count a character beyond the BMP twice: on the safe side
    // of MySQL's limit in characters.
    return direction == Direction::ToOracle ? name.toUtf8().size() : name.size();
}

qsizetype nameLimit(Direction direction)
{
    return direction == Direction::ToOracle ? 30 : 64;
}

// The longest start of `name` that leaves room for `suffix`, never cutting
// a character in two.
QString cut(Direction direction, const QString& name, const QString& suffix)
{
    const qsizetype room = nameLimit(direction) - nameSize(direction, suffix);
    qsizetype end = 0;
    while (end < name.size()) {
        const qsizetype next = end + (name.at(end).isHighSurrogate() ? 2 : 1);
        if (nameSize(direction, QStringView(name).left(next)) > room)
            break;
        end = next;
    }
    return name.left(end) + suffix;
}

bool isTaken(const QStringList& taken, const QString& name)
{
    return taken.contains(name, Qt::CaseInsensitive);
}

} // namespace

SideNames sideNames(Direction direction, const QString& targetName, const QStringList& taken)
{
    for (int n = 1;; ++n) {
        const QString number = n == 1 ? QString() : QString::number(n);
        SideNames names { cut(direction, targetName, QStringLiteral("_tw_new") + number),
            cut(direction, targetName, QStringLiteral("_tw_old") + number) };
        if (!isTaken(taken, names.copy) && !isTaken(taken, names.backup))
            return names;
    }
}

} // namespace tw::transfer
