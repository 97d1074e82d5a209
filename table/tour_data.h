// A table's sound tour as data: which members it plays, how, where on the
// table each belongs, and the voices that name them. One text per table
// (assets/tours/<name>.tour) is checked by the game-data tool against the
// manifest, which holds the words of every voice it names, and packed into
// the archive; the tour menu and the named hits read it back from there.
//
// A line: member, play, place, caption voice, and an optional short-name
// voice, tab separated. Play is once, loop, sweep, voice, or out (a member
// the tour leaves out on purpose; the caption column then says why, and
// nothing of it is spoken). Place is "-", or a map code ("36", or "35.2"
// for code 35 with second byte 2) whose first cell gives the pan and the
// place said. Lines starting "#" and empty lines are comments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblor {

enum class TourPlay : uint8_t { Once, Loop, Sweep, Voice, Out };

struct TourEntry {
    std::string member;
    TourPlay play = TourPlay::Once;
    int code = -1;    // the map code that places it; -1: nowhere in particular
    int number = -1;  // the second byte the cell must have; -1: any
    std::string reason;        // why it is left out, for Out
    std::string captionVoice;  // the voice naming it
    std::string shortVoice;    // said after it is hit in play; "" for never
    int line = 0;
};

struct Tour {
    std::vector<TourEntry> entries;  // in the order the tour plays them
    std::vector<TourEntry> leftOut;
};

// "tours/PacMan.tour": the archive member of a table's tour, by its key name.
std::string TourMember(const std::string& tableKey);

// Parses a tour's text. Every malformed line is described in `problems`
// and left out.
Tour ParseTour(const std::string& text, std::vector<std::string>& problems);

// The tour of table 0..5 from the open archive; an empty tour when it has none.
Tour LoadTour(int table);

}  // namespace tamblor
