#pragma once

#include "datetime.h"

#include <string>

namespace orastandin {

// The per-session NLS settings that ALTER SESSION may change. Defaults are
// those of the AMERICAN language and AMERICA territory.
struct NlsSettings {
    NlsSettings();

    std::string dateFormatText = "DD-MON-RR";
    std::string timestampFormatText = "DD-MON-RR HH.MI.SSXFF AM";
    DateFormat dateFormat;
    DateFormat timestampFormat;
    char decimalChar = '.';
    char groupChar = ',';

    // Applies one ALTER SESSION SET parameter; throws the ORA error Oracle
    // gives for an unknown parameter or a bad value.
    void set(const std::string& parameter, const std::string& value);
};

} // namespace orastandin
