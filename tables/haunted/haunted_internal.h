// What the Haunted House table's two source files share and nothing else
// needs.
#pragma once

namespace tamblor::haunted {

// Adds points times the multiplier.
void Score(double points);
void PutBall(float x, float y, float heading);
// Escape in play, at the drain or in the tomb: the score is lost and the
// game ends.
[[noreturn]] void ForfeitGame();
void PutOutFire();
void SendMonsterToSleep();
// The rules the table's description hands to the shared loop.
void SilenceTheWind();
void BallLost();

}  // namespace tamblor::haunted
