#pragma once

namespace tw::copy {

// What an exact copy makes of a table beyond each column's type.
struct ExactOptions {
    // An empty text or binary value bound for Oracle, which keeps both as
    // NULL: stored as NULL and counted (a NOT NULL column that holds one is
    // created nullable), or its row refused.
    enum class EmptyText { Null, Refuse } emptyText = EmptyText::Null;
    // Basic: types, NOT NULL and the primary key. Whole: also indexes,
    // unique and foreign keys, checks, defaults, auto-numbering and
    // comments, as far as the target holds them (see copy/schema).
    enum class Schema { Basic, Whole } schema = Schema::Basic;
};

} // namespace tw::copy
