#pragma once

namespace tw::db {

// Lets the event loop process pending window events once, so that long
// actions keep the window painted and the busy pointer showing.
void DoEvents();

} // namespace tw::db
