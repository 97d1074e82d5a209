// Options, best scores, music volumes and the score board, kept in the
// per-user settings store. Every change is persisted by a whole SaveSettings.
#pragma once

#include <cstdint>
#include <string>

#include "core/table_registry.h"

namespace tamblor {

constexpr const char* kSettingsApp = "VKM222005";

// "PacMan", "SoccerStar", ... as the "HS" and "MV" keys spell them.
const char* TableKeyName(int table);

struct ScoreBoardRow {
    std::string initials = "---";
    int32_t score = 0;
    std::string third = "None";
};

extern uint8_t GameMode;   // 0 or 1
extern uint8_t GameSpeed;  // 0 normal, 1 insane, 2 relaxed
// 0: the main menu's instructions every time; 1: the first time of a run
// only, then just the entry's name.
extern uint8_t MenuInstructions;
extern std::string Version;  // "major.minor" of the running program
extern double BestScore[kTableCount];
extern int16_t MusicVolume[kTableCount];
extern ScoreBoardRow ScoreBoard[6];

void LoadSettings();
void SaveSettings();

// Base-36 text of (score + A) * (m + B) - C, m being the minor number of
// `version`; "0" for a score of 0 or less.
std::string EncodeScore(double score, const std::string& version);
// The score, or 0 when the text does not decode to a whole number > 0 (a
// tampered value, or one written with another minor number).
double DecodeScore(const std::string& text, const std::string& version);

// The running program's "major.minor".
std::string RunningVersion();

}  // namespace tamblor
