// Options, best scores, music volumes and the score board, kept in the
// per-user settings store. Every change is persisted by a whole SaveSettings.
#pragma once

#include <cstdint>
#include <string>

#include "core/table_registry.h"
#include "platform/platform.h"

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

// How the game sounds to this player; none of them changes how it plays.
// Each class's volume, indexed by SoundClass, in hundredths of a dB (0
// full): it turns every sound of the class on top of the sound's own volume.
extern int16_t ClassVolume[kSoundClassCount];
// How far the menu music sinks beneath a voice, in hundredths of a dB;
// kVolumeMin and below: silent.
extern int16_t DuckingDepth;
extern PanLaw PanMode;

// The steps a volume takes, from full down to its quietest level: 3 dB
// apart, down to 30 dB below full, then (for music only) silence. Speech
// and effects stay audible: without speech no menu can be heard, and
// without effects not the ball.
constexpr int16_t kClassVolumeStep = 300;
constexpr int16_t kQuietestLevel = -3000;
int16_t QuietestVolume(SoundClass soundClass);
// One step quieter (false at the quietest) or louder (false at full).
bool StepVolumeDown(SoundClass soundClass);
bool StepVolumeUp(SoundClass soundClass);
// The ducking depths, 10 dB (as the menus always had it) to silence.
constexpr int16_t kDuckingDepths[] = {1000, 1500, 2000, 2500, 3000, 10000};
bool StepDuckingDeeper();
bool StepDuckingShallower();
// The volume the menu music takes beneath a voice.
int32_t DuckedMusicVolume();
// How fast voices speak, in percent of their recorded pace (pitch kept).
extern uint16_t SpeechRate;
constexpr uint16_t kSpeechRates[] = {75, 100, 125, 150, 175, 200, 225, 250};
constexpr uint16_t kNormalSpeechRate = 100;
// One rate faster (false at the fastest) or slower (false at the slowest).
bool StepSpeechFaster();
bool StepSpeechSlower();
// 0: the recorded voices; 1: every voice's words go to the desktop's speech
// service (the recorded voices stand in while it cannot be had).
extern uint8_t SystemVoice;
// What the window shows: 0 the table (or menu) and captions, 1 captions
// only, 2 nothing (a plain colour).
extern uint8_t ScreenChoice;
// 1: a controller that has motors pulses with the table's hits.
extern uint8_t RumbleOn;
// 1: in every game, not only in practice, the short name of what the ball
// hits is said after its sound.
extern uint8_t NameHits;
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
