// Loose voice announcements and spoken numbers.
#pragma once

#include <string>
#include <vector>

namespace tamblor {

// Plays a loose WAV file on a buffer of its own; the navigation keys cut
// it short (after the ones already held are released).
void Announcement(const std::string& fileName);

// Says a whole number by joining recorded number words; fractions are
// dropped and negative numbers said as zero.
void SpeakNumber(double number);

// The members SpeakNumber plays for `number`, in order (no sound).
std::vector<std::string> NumberWords(double number);

}  // namespace tamblor
