#include "table/named_hits.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "audio/archive.h"
#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "table/ball.h"
#include "table/table.h"
#include "table/tour_data.h"

namespace tamblor {

namespace {
struct Named {
    std::string member;  // upper case
    std::string voice;
};

bool g_on = false;
std::vector<Named> g_names;
bool g_saidOne = false;
uint32_t g_saidAt = 0;
const std::string* g_speaking = nullptr;  // the name now said, until it ends or a key cuts it

bool SameName(const std::string& upper, const std::string& name) {
    if (upper.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (upper[i] != std::toupper(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

const std::string* VoiceFor(const SoundSlot& slot) {
    for (const Named& n : g_names)
        if (SameName(n.member, slot.Name())) return &n.voice;
    return nullptr;
}
}  // namespace

void PrepareNamedHits(const TableDesc& table) {
    ForgetNamedHits();
    if (!Game.Practice && NameHits == 0) return;
    for (const TourEntry& e : LoadTour(int(table.id)).entries) {
        if (e.shortVoice.empty()) continue;
        bool known = false;
        for (const Named& n : g_names) known = known || SameName(n.member, e.member);
        // The first name a member has is the one said for it.
        if (!known) g_names.push_back({UpperCase(e.member), e.shortVoice});
    }
    g_on = !g_names.empty();
}

void ForgetNamedHits() {
    g_on = false;
    g_names.clear();
    g_saidOne = false;
    g_speaking = nullptr;
    NoteOneShots = false;
    LastOneShot = nullptr;
}

bool NamingHits() { return g_on; }

OneShotsNoted::OneShotsNoted() { NoteOneShots = g_on; }
OneShotsNoted::~OneShotsNoted() { NoteOneShots = false; }

void NameLastHit() {
    if (!g_on) return;
    if (g_speaking != nullptr) {
        const bool still = VoiceBuffer.IsPlaying() && VoiceBuffer.Name() == *g_speaking;
        if (still && AnyKeyDown()) StopVoiceQuietly();
        if (!still || AnyKeyDown()) g_speaking = nullptr;
    }
    const SoundSlot* hit = std::exchange(LastOneShot, nullptr);
    if (hit == nullptr) return;
    const uint32_t now = GetTick();
    if (g_saidOne && now - g_saidAt < kNamedHitGapMs) return;
    // A voice of the table's own is never cut for a name.
    if (VoiceBuffer.IsPlaying()) return;
    const std::string* voice = VoiceFor(*hit);
    if (voice == nullptr) return;
    g_saidOne = true;
    g_saidAt = now;
    // Not a message of its own: R still says what the game last said.
    UnrememberedSpeech aside;
    PlaySound(*voice, 0, false);
    g_speaking = voice;
}

}  // namespace tamblor
