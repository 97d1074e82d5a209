#include "support/wildwest_fixture.h"

#include "tables/wildwest/wildwest.h"

namespace tamblor::test {

StandInSounds WildWestSounds() {
    return {{
                {"wildwest/intro.wav", 3000},    {"wildwest/PianoLp.wav", 2000},  {"wildwest/lvlAmb.wav", 3000},
                {"wildwest/PianoAmb.wav", 2500}, {"wildwest/SEntry.wav", 900},    {"wildwest/DrnkBeer.wav", 1200},
                {"wildwest/EThrowGS.wav", 1200}, {"wildwest/ENormGS.wav", 1200},  {"wildwest/EGStore.wav", 800},
                {"wildwest/Blksmith.wav", 1000}, {"wildwest/ammo.wav", 600},      {"wildwest/thieves.wav", 1500},
                {"wildwest/hung.wav", 1500},     {"wildwest/XBall.wav", 900},     {"wildwest/gunfight.wav", 1200},
                {"wildwest/jail.wav", 1500},     {"wildwest/ShHit.wav", 800},     {"wildwest/PShot.wav", 900},
                {"wildwest/WhoopAss.wav", 1000}, {"wildwest/block.wav", 250},     {"wildwest/Punch.wav", 250},
                {"wildwest/KnockOut.wav", 1200}, {"wildwest/BrokToof.wav", 1200}, {"wildwest/dryfire.wav", 150},
                {"wildwest/PFire.wav", 300},     {"wildwest/ShDraw.wav", 150},    {"wildwest/ShGun.wav", 200},
                {"wildwest/FistSwng.wav", 250},  {"wildwest/ScanHrse.wav", 60},   {"wildwest/ScanAmmo.wav", 60},
                {"wildwest/ScanDoor.wav", 60},   {"wildwest/ScanBS.wav", 60},
            },
            {"wildwest/intro.wav", "wildwest/PFire.wav", "wildwest/gunfight.wav", "wildwest/jail.wav",
             "wildwest/ShHit.wav", "sounds/BLaunch.wav"}};
}

const TableDesc& WildWestTest::Table() const { return wildwest::kTable; }

}  // namespace tamblor::test
