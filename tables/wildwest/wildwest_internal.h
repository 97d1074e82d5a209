// What the Wild West table's two source files share and nothing else needs.
#pragma once

namespace tamblor::wildwest {

// Where the ball comes back into play: above the flipper zone.
constexpr float kEntryX = 25, kEntryY = 44;

// The town's loops stop for a lost ball.
void StopTownForLostBall();

}  // namespace tamblor::wildwest
