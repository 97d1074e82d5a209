#include "tables/tables.h"

namespace tamblor {

const TableStart* TableStarter(int entry) {
    // Tables register here as they are built; order as in the main menu.
    static const TableStart* const starters[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return (entry >= 0 && entry < 6) ? starters[entry] : nullptr;
}

}  // namespace tamblor
