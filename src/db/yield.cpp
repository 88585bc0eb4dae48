#include "db/yield.h"

#include <QCoreApplication>

namespace tw::db {

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace tw::db
