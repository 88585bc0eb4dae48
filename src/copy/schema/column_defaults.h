#pragma once

#include "catalog/table_catalog.h"
#include "copy/exact/exact_types.h"

#include <QString>

namespace tw::copy::schema {

// A source column's default as its target column reads it.
struct TargetDefault {
    QString value; // for DEFAULT: a literal or the target's clock; empty: none
    QString note; // why the default was left out or changed; empty when it was not
};

// Constants go through the exact copy's own check and literal (so a default
// arrives as a value of the column would); the current time becomes the
// target's clock: SYSDATE for an Oracle DATE, SYSTIMESTAMP for a TIMESTAMP,
// CURRENT_TIMESTAMP(n) for a MySQL DATETIME(n). Other expressions are left
// out and reported with their text.
TargetDefault targetDefault(
    const catalog::ColumnDefault& source, sql::Server from, const ExactColumn& target);

} // namespace tw::copy::schema
