// What the Pac Man table's two source files share and nothing else needs.
#pragma once

#include <cstdint>

namespace tamblor::pacman {

constexpr uint32_t kSirenHz = 22050;  // the siren's own pitch, at each start of play

void SetSirenPitch(uint32_t hz);
// The launch prompt for a new ball; a Space still held from it is not a press.
void Relaunch();

}  // namespace tamblor::pacman
