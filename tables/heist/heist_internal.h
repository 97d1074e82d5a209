// What the Heist table's two source files share and nothing else needs.
#pragma once

namespace tamblor::heist {

// The rules the table's description hands to the shared loop.
void Timers();
void BallLost();

}  // namespace tamblor::heist
