#pragma once

#include <QStringView>
#include <optional>

namespace tw::odbc {

// The double nearest to the number `text` writes ("-1.5", "1e-7", ".5",
// blanks around), as both servers read a number's text; none for text that
// is no number. Quicker than QString::toDouble, which a comparison or a bulk
// copy would call for every value of a column.
std::optional<double> doubleOf(QStringView text);

} // namespace tw::odbc
