#include "core/table_registry.h"

namespace tamblor {

namespace {
const TableFacts kTables[kTableCount] = {
    {kPacMan, "PacMan", "sounds/menu/mnuPM.wav", "sounds/menu/mnuPMSD.wav", "pacman/v_SDPM.wav"},
    {kSoccerStar, "SoccerStar", "sounds/menu/mnuSS.wav", "sounds/menu/mnuSSSD.wav", "soccer/v_SDSS.wav"},
    {kHeist, "Heist", "sounds/menu/mnuHeist.wav", "sounds/menu/mnuHSD.wav", "Heist/v_SDH.wav"},
    {kSafari, "Safari", "sounds/menu/mnuSFRI.wav", "sounds/menu/mnuSSD.wav", "Safari/v_SDS.wav"},
    {kHauntedHouse, "HauntedHouse", "sounds/menu/mnuHH.wav", "sounds/menu/mnuHHSD.wav", "Haunted/v_SDHH.wav"},
    {kWildWest, "WildWest", "sounds/menu/mnuWW.wav", "sounds/menu/mnuWWSD.wav", "WildWest/v_SDWW.wav"},
};
}  // namespace

const TableFacts& FactsOfTable(int table) { return kTables[IsTable(table) ? table : 0]; }

}  // namespace tamblor
