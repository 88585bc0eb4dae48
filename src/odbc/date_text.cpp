#include "odbc/date_text.h"

namespace tw::odbc {

namespace {
// Reads exactly `count` digits at `at`; false when any is missing.
bool digits(QByteArrayView text, qsizetype at, int count, int& out)
{
    if (at + count > text.size())
        return false;
    out = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

bool separator(QByteArrayView text, qsizetype at, char c)
{
    return at < text.size() && text[at] == c;
}
} // namespace

Value dateFromText(QByteArrayView text)
{
    SqlTimestamp t;
    const bool date = digits(text, 0, 4, t.year) && separator(text, 4, '-')
        && digits(text, 5, 2, t.month) && separator(text, 7, '-') && digits(text, 8, 2, t.day);
    if (date && text.size() == 10)
        return QVariant::fromValue(SqlDate { t.year, t.month, t.day });
    const bool clock = date && separator(text, 10, ' ') && digits(text, 11, 2, t.hour)
        && separator(text, 13, ':') && digits(text, 14, 2, t.minute) && separator(text, 16, ':')
        && digits(text, 17, 2, t.second);
    if (clock && text.size() == 19)
        return QVariant::fromValue(t);
    const qsizetype fractionDigits = text.size() - 20;
    int fraction = 0;
    if (clock && separator(text, 19, '.') && fractionDigits >= 1 && fractionDigits <= 9
        && digits(text, 20, int(fractionDigits), fraction)) {
        t.fraction = quint32(fraction);
        for (qsizetype i = fractionDigits; i < 9; ++i)
            t.fraction *= 10;
        return QVariant::fromValue(t);
    }
    return QString::fromUtf8(text);
}

} // namespace tw::odbc
