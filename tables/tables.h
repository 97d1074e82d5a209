// The tables the main menu can start, by entry.
#pragma once

namespace tamblor {

struct TableDesc;

// The table of main-menu entries 0..5, or nullptr for a table that is not
// playable yet.
const TableDesc* TableFor(int entry);

}  // namespace tamblor
