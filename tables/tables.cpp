#include "tables/tables.h"

#include "core/table_registry.h"
#include "tables/haunted/haunted.h"
#include "tables/heist/heist.h"
#include "tables/pacman/pacman.h"
#include "tables/safari/safari.h"
#include "tables/soccer/soccer.h"
#include "tables/wildwest/wildwest.h"

namespace tamblor {

const TableDesc* TableFor(int entry) {
    // Tables register here as they are built, in the main menu's order.
    static const TableDesc* const tables[kTableCount] = {&pacman::kTable, &soccer::kTable,  &heist::kTable,
                                                         &safari::kTable, &haunted::kTable, &wildwest::kTable};
    return IsTable(entry) ? tables[entry] : nullptr;
}

}  // namespace tamblor
