// The words of every voice, as the game data carries them: one archive
// member holds a line per voice (name, kind, text, tab-separated), loose
// "system/..." voices included. Read once with the archive; looking a text
// up never allocates, so the ball loop may ask.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tamblor {

constexpr const char* kVoiceTextMember = "texts/voices.tsv";

// Reads the table from the open archive. False when the member is missing
// or damaged: the table is then empty and every voice stays recorded.
bool LoadVoiceTexts();
void ForgetVoiceTexts();

// The words of a voice (an archive member or a loose file, "\" or "/",
// any case); "" when it has none.
const std::string& VoiceText(std::string_view member);
// True for a word that is joined to others (a number's neighbours).
bool JoinedWord(std::string_view member);

// A whole number as one text, as SpeakNumber says it: "1,234,567";
// fractions dropped, anything below 1 is "0". Writes at most `room` - 1
// characters and a terminator; returns the length.
size_t WriteNumberText(double number, char* out, size_t room);
std::string NumberText(double number);

}  // namespace tamblor
