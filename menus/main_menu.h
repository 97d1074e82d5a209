// The spoken main menu: the hub every game and submenu comes back to.
#pragma once

#include <cstdint>

namespace tamblor {

// Runs the menu for the rest of the program; it ends only through ExitGame
// or a close request. A finished game, a quit at the launch prompt and the
// end of the options menu all come back here and start it afresh, without
// growing the stack.
[[noreturn]] void MainMenu();

void SpeakMainMenu(int entry);

// Plays table 0..5 from the menus, in practice or as a game; the fresh main
// menu after a practice stands on the table's entry. Returns only when the
// table cannot be played.
void PlayTable(int entry, bool practice);

// The main menu's instructions have been heard in this run (with the
// first-time-only option, later visits only name the entry).
extern bool InstructionsHeardThisRun;

// The arrow keys of a menu of `count` entries: Up moves to the previous
// entry, Down to the next, both wrapping, and the new entry is spoken.
void MoveWithArrows(int& entry, int count, void (*speak)(int));

// The repeat and silence keys in a menu: the music sinks beneath a repeat.
void MenuSpeechKeys();

// Says the program's version from the loose digit recordings.
void SpeakVersion();

// Lowers the menu music beneath a voice and puts it back afterwards, to the
// volume it had (or to full volume where a menu asks for that).
class MusicDip {
public:
    MusicDip();  // as deep as the player's ducking depth
    explicit MusicDip(int32_t to);
    ~MusicDip();
    void RestoreToFull() { restore_ = 0; }
    MusicDip(const MusicDip&) = delete;
    MusicDip& operator=(const MusicDip&) = delete;

private:
    int32_t restore_;
};

}  // namespace tamblor
