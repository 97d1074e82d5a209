// Naming what the ball hits: in practice, or with the option on, the short
// name a table's tour gives a thing is said after its sound. The ball's
// step only notes which holder it started (NoteOneShots); the name is said
// at the pass's yield, at most one a second of game time, centred, under
// nothing, and any key cuts it.
#pragma once

#include <cstdint>

namespace tamblor {

struct TableDesc;

// At most one name in this many milliseconds of game time.
constexpr uint32_t kNamedHitGapMs = 1000;

// Reads the table's short names when naming is on for this game
// (Game.Practice or the option); otherwise naming stays off.
void PrepareNamedHits(const TableDesc& table);
void ForgetNamedHits();
bool NamingHits();

// Notes the one-shots a cell handler starts, for as long as it lives.
class OneShotsNoted {
public:
    OneShotsNoted();
    ~OneShotsNoted();
    OneShotsNoted(const OneShotsNoted&) = delete;
    OneShotsNoted& operator=(const OneShotsNoted&) = delete;
};

// At the pass's yield: cuts a name a key was pressed over, and names what
// the ball last hit when the last name is a second old.
void NameLastHit();

}  // namespace tamblor
