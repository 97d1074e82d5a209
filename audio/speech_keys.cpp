#include "audio/speech_keys.h"

#include <vector>

#include "audio/captions.h"
#include "audio/system_speech.h"
#include "core/keyboard.h"
#include "platform/platform.h"

namespace tamblor {

namespace {
struct Said {
    VoicePlayer player;
    std::string name;
    int32_t pan;
};

// A message longer than this (a long readout) is kept up to here.
constexpr size_t kLongestMessage = 48;

std::vector<Said> lastMessage;
uint32_t messagePoll = 0;  // KeyboardPolls when its first voice was asked for
int unremembered = 0;      // UnrememberedSpeech scopes open, and a repeat under way
bool silenced = false;
uint32_t silencedPoll = 0;

bool ControlDown(const uint8_t* keys) {
    return (keys[scan::LeftControl] & 0x80) != 0 || (keys[scan::RightControl] & 0x80) != 0;
}

// Waits out a repeated voice; false when a silence key cut it.
bool WaitForRepeatedVoice() {
    while (VoiceBuffer.IsPlaying()) {
        YieldToSystem();
        if (SilenceKeyHeld()) {
            VoiceBuffer.Stop();
            return false;
        }
    }
    return true;
}
}  // namespace

void RememberSpeech(VoicePlayer player, const std::string& name, int32_t pan) {
    CaptionVoice(name);
    if (unremembered > 0) return;
    if (lastMessage.empty() || messagePoll != KeyboardPolls) {
        lastMessage.clear();
        lastMessage.reserve(kLongestMessage);
        messagePoll = KeyboardPolls;
    }
    if (lastMessage.size() < kLongestMessage) lastMessage.push_back({player, name, pan});
}

bool RememberingSpeech() { return unremembered == 0; }
uint32_t LastMessagePoll() { return messagePoll; }

bool SilenceKeyHeld() {
    uint8_t keys[256];
    return KeyboardDevice().ReadState(keys) == 0 && ControlDown(keys);
}

bool SpeechSilenced() {
    if (silenced && silencedPoll == KeyboardPolls) return true;
    silenced = false;
    return SilenceKeyHeld();
}

void SilenceSpeech() {
    if (VoiceBuffer.Class() == SoundClass::Speech && VoiceBuffer.IsPlaying()) VoiceBuffer.Stop();
    CutSpeechText();
    silenced = true;
    silencedPoll = KeyboardPolls;
}

bool RepeatLastSpeech() {
    if (!lastMessage.empty()) CaptionAgain();
    if (RepeatSpeechText()) return true;
    if (lastMessage.empty()) return false;
    // A copy: the voices below may not add to what they repeat.
    const std::vector<Said> message = lastMessage;
    UnrememberedSpeech repeating;
    for (const Said& said : message) {
        if (SilenceKeyHeld()) break;
        if (StartSpeechAgain(said.player, said.name, said.pan) && !WaitForRepeatedVoice()) break;
    }
    return true;
}

bool SpeechKeys() {
    // The keyboard was polled: words held for a message are all there is.
    FlushSpeechText();
    if (KeyDown(scan::LeftControl) || KeyDown(scan::RightControl)) SilenceSpeech();
    return TakeLatchedPress(scan::R) && RepeatLastSpeech();
}

UnrememberedSpeech::UnrememberedSpeech() { ++unremembered; }
UnrememberedSpeech::~UnrememberedSpeech() { --unremembered; }

void ForgetSpeech() {
    lastMessage.clear();
    unremembered = 0;
    silenced = false;
    ForgetSystemSpeech();
}

}  // namespace tamblor
