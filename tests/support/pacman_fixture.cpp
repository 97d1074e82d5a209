#include "support/pacman_fixture.h"

#include "tables/pacman/pacman.h"

namespace tamblor::test {

StandInSounds PacManSounds() {
    return {{
                {"pacman/strtmuse.wav", 2000}, {"pacman/Siren.wav", 1000},   {"pacman/EatDot.wav", 80},
                {"pacman/GhostRun.wav", 1000}, {"pacman/EatFrGR.wav", 300},  {"pacman/EatFrS.wav", 300},
                {"pacman/Swoosh.wav", 300},    {"pacman/lvlMusic.wav", 2500}, {"pacman/FruitPr.wav", 500},
                {"pacman/ghostrtn.wav", 500},  {"pacman/ScanGhst.wav", 60},  {"pacman/ScanFrt.wav", 60},
                {"pacman/ScanPUp.wav", 60},    {"pacman/ScanTunl.wav", 60},  {"pacman/powerup.wav", 800},
                {"pacman/eatghost.wav", 600},  {"pacman/pacdie.wav", 1500},  {"pacman/BonusLif.wav", 900},
                {"pacman/TableCom.wav", 1200}, {"pacman/v_NOTC.wav", 500},   {"pacman/v_Table.wav", 300},
                {"pacman/v_Tables.wav", 300},
            },
            {"pacman/strtmuse.wav", "sounds/BLaunch.wav"}};
}

const TableDesc& PacManTest::Table() const { return pacman::kTable; }

}  // namespace tamblor::test
