// What the Pac Man table's two source files share and nothing else needs.
#pragma once

#include <cstdint>

namespace tamblor::pacman {

constexpr uint32_t kSirenHz = 22050;  // the siren's own pitch, at each start of play

void SetSirenPitch(uint32_t hz);

// The rules the table's description hands to the shared loop.
void Timers();
void EndPower();
void BallLost();
void PlayOnAfterLostBall();
void TablesCompletedWords();

}  // namespace tamblor::pacman
