// The sound tour of a table: a spoken menu whose entries name a sound of
// the table, say where on the table it belongs, and play it there. Its
// first entry starts the table for practice.
#include <string>
#include <vector>

#include "audio/archive.h"
#include "audio/positional.h"
#include "audio/sound.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"
#include "table/table.h"
#include "table/table_map.h"
#include "table/tour_data.h"
#include "tables/tables.h"

namespace tamblor {

namespace {
constexpr const char* kPracticeName = "sounds/menu/mnuTPrac.wav";
constexpr const char* kLeaveName = "sounds/menu/mnuETour.wav";
constexpr uint32_t kLoopMs = 3000;  // a loop is heard this long
// A sweep cue goes across the table, left to right, in this many steps.
constexpr int kSweepSteps = 9;
constexpr uint32_t kSweepStepMs = 150;
constexpr int kThird = kMapFieldSize / 3;

// Where on the table a cell lies, as the tour says it after a caption.
const char* const kPlaceWords[3][3] = {
    {"sounds/tour/upleft.wav", "sounds/tour/upmid.wav", "sounds/tour/upright.wav"},
    {"sounds/tour/left.wav", "sounds/tour/middle.wav", "sounds/tour/right.wav"},
    {"sounds/tour/lowleft.wav", "sounds/tour/lowmid.wav", "sounds/tour/lowright.wav"},
};

int ThirdOf(int cell) { return cell < kThird ? 0 : cell < 2 * kThird ? 1 : 2; }

struct Place {
    bool found = false;
    int x = 0, y = 0;
};

// The first cell of the code (and second byte) row by row from the top.
Place FirstCell(int code, int number) {
    if (code < 0) return {};
    for (int y = 0; y < kMapFieldSize; ++y)
        for (int x = 0; x < kMapFieldSize; ++x) {
            const MapCell& c = TableMap.Cells[x][y];
            if (c.Code == code && (number < 0 || c.Number == number)) return {true, x, y};
        }
    return {};
}

// 1 or 2 from the member's own header; 0 when it is not there.
int ChannelsOf(const std::string& member) {
    const int index = FindMember(member);
    if (index == kMemberNotFound || ArchiveDirectory()[index].size < 44) return 0;
    const std::vector<uint8_t> bytes = ReadMember(index);
    return bytes[22] == 2 ? 2 : 1;
}

SoundSlot g_sound;  // the entry's sound

class TourWalk {
public:
    TourWalk(int table, const TableDesc* desc) : desc_(desc), tour_(LoadTour(table)) {
        names_.push_back(kPracticeName);
        for (const TourEntry& e : tour_.entries) names_.push_back(e.captionVoice.c_str());
        names_.push_back(kLeaveName);
    }
    ~TourWalk() { KillBuffer(g_sound); }

    int Count() const { return int(names_.size()); }
    const char* const* Names() const { return names_.data(); }
    bool IsPractice(int entry) const { return entry == 0; }
    bool IsLeave(int entry) const { return entry == Count() - 1; }

    // Click, name, place; then its sound starts unless a key cut the words.
    void Speak(int entry) {
        Stop();
        sndBumper1.SetPan(0);
        sndBumper1.Play(false);
        const TourEntry* e = EntryAt(entry);
        if (e == nullptr) {
            PlayAndWait(names_[size_t(entry)]);
            return;
        }
        // The captions are many: made in mono, to keep the archive small.
        PlayMonoAndWait(e->captionVoice);
        const Place place = FirstCell(e->code, e->number);
        if (place.found && !AnyKeyDown()) PlayMonoAndWait(kPlaceWords[ThirdOf(place.y)][ThirdOf(place.x)]);
        if (!AnyKeyDown()) Start(entry);
    }

    // Enter: the sound again, from its start.
    void Start(int entry) {
        Stop();
        const TourEntry* e = EntryAt(entry);
        if (e == nullptr) return;
        const int channels = ChannelsOf(e->member);
        if (channels == 0) return;
        const Place place = FirstCell(e->code, e->number);
        const int32_t pan = place.found ? PanFor(float(place.x)) : 0;
        if (e->play == TourPlay::Voice) {
            if (channels == 2) PlayStereo(e->member, false);
            else PlaySound(e->member, pan, false);
            return;
        }
        g_sound.SetClass(ClassOf(e->member));
        if (channels == 2) CreateStereoSoundBuffer(g_sound, e->member);
        else CreateSoundBuffer(g_sound, e->member);
        playing_ = e->play;
        started_ = GetTick();
        step_ = 0;
        if (playing_ == TourPlay::Sweep) {
            g_sound.SetPan(kPanLeft);
        } else if (channels == 1) {
            g_sound.SetPan(pan);
        }
        g_sound.Play(playing_ == TourPlay::Loop);
    }

    // Each pass: a loop ends after its time, a sweep moves on across.
    void Update() {
        const uint32_t elapsed = GetTick() - started_;
        if (playing_ == TourPlay::Loop && elapsed > kLoopMs) Stop();
        if (playing_ == TourPlay::Sweep && elapsed > uint32_t(step_ + 1) * kSweepStepMs) {
            if (++step_ >= kSweepSteps) {
                Stop();
                return;
            }
            g_sound.Stop();
            g_sound.Rewind();
            g_sound.SetPan(kPanLeft + step_ * (kPanRight - kPanLeft) / (kSweepSteps - 1));
            g_sound.Play(false);
        }
    }

    void Stop() {
        g_sound.Stop();
        playing_ = TourPlay::Out;
    }

private:
    const TourEntry* EntryAt(int entry) const {
        return entry >= 1 && entry <= int(tour_.entries.size()) ? &tour_.entries[size_t(entry - 1)] : nullptr;
    }

    // A table's music is heard at the music volume, as in play.
    SoundClass ClassOf(const std::string& member) const {
        if (desc_ == nullptr) return SoundClass::Effects;
        for (const TableSound& s : desc_->sounds)
            if (UpperCase(s.member) == UpperCase(member))
                return s.slot == desc_->music ? SoundClass::Music : s.soundClass;
        return SoundClass::Effects;
    }

    const TableDesc* desc_;
    Tour tour_;
    std::vector<const char*> names_;
    TourPlay playing_ = TourPlay::Out;
    uint32_t started_ = 0;
    int step_ = 0;
};

TourWalk* g_walk = nullptr;
void SpeakTourEntry(int entry) { g_walk->Speak(entry); }
}  // namespace

bool TourMenu(int table) {
    const TableDesc* desc = TableFor(table);
    if (desc == nullptr) {
        PlayAndWait("sounds/menu/mnuUnava.wav");
        return false;
    }
    sndMenuMusic.Stop();
    LoadMapMember(desc->mapMember, desc->mapFile);
    TourWalk walk(table, desc);
    g_walk = &walk;
    int entry = 0;
    ScreenMenu("Sound tour", walk.Names(), walk.Count());
    PlayAndWait(FactsOfTable(table).menuName);
    PlayAndWait("sounds/menu/mnuTour.wav");
    walk.Speak(entry);
    NoteState("tour", entry);
    bool practise = false, stay = true;
    while (stay) {
        PollKeyboard();
        YieldToSystem();
        walk.Update();
        MoveWithArrows(entry, walk.Count(), SpeakTourEntry);
        if (CommandPress(scan::Return)) {
            if (walk.IsPractice(entry)) practise = true;
            if (walk.IsPractice(entry) || walk.IsLeave(entry)) stay = false;
            else walk.Start(entry);
        }
        if (CommandPress(scan::Escape)) stay = false;
        MenuSpeechKeys();
        // Control silences the sound with the words.
        if (KeyDown(scan::LeftControl) || KeyDown(scan::RightControl)) walk.Stop();
        HearPadNews();
        UpdateCommandKeysReleased();
    }
    walk.Stop();
    g_walk = nullptr;
    if (!practise) sndMenuMusic.Play(true);
    return practise;
}

}  // namespace tamblor
