// The menus reached from the main menu.
#pragma once

namespace tamblor {

// Keeps the options or help menu running; cleared to leave it.
extern bool SubMenuActive;

void OptionsMenu();
void SpeakOptionsMenu(int entry);

void ScoreMenu();
void SpeakScoreMenu(int entry);
void SpeakHighScores();
void EraseHighScores();

void HelpMenu();

// The sound tour of table 0..5: true when the player chose to practise the
// table, false when the tour was left.
bool TourMenu(int table);

}  // namespace tamblor
