// The two keys every table and menu shares for speech: R says the last
// message again, Control silences the voice now speaking. A message is
// what the game says between two polls of the keyboard: a menu entry's
// name, a report with its numbers, the words of a game's end.
#pragma once

#include <cstdint>
#include <string>

#include "audio/sound.h"

namespace tamblor {

// Called by the voice players as a voice of speech is asked for.
void RememberSpeech(VoicePlayer player, const std::string& name, int32_t pan);

// False inside an UnrememberedSpeech scope (and a repeat).
bool RememberingSpeech();
// KeyboardPolls when the last message kept began.
uint32_t LastMessagePoll();

// True when a voice of speech must not start: a silence key is held, or the
// message it belongs to was silenced.
bool SpeechSilenced();

// Reads the keyboard device itself (KeyState is left alone), so the waits
// that do not poll hear it too.
bool SilenceKeyHeld();

// Stops the voice of speech that is playing and drops the rest of its
// message.
void SilenceSpeech();

// Says the last message again, each voice as it was first played; a
// silence key cuts it. False when nothing has been said yet.
bool RepeatLastSpeech();

// Both keys, for a loop that has just polled the keyboard: a held Control
// silences; R, once per press, repeats. True when R repeated something.
bool SpeechKeys();

// Voices asked for inside it are not kept: the pause's own words, so the
// repeat key in a pause says what was said before it.
class UnrememberedSpeech {
public:
    UnrememberedSpeech();
    ~UnrememberedSpeech();
    UnrememberedSpeech(const UnrememberedSpeech&) = delete;
    UnrememberedSpeech& operator=(const UnrememberedSpeech&) = delete;
};

// Forgets what was said (a fresh start, for tests).
void ForgetSpeech();

}  // namespace tamblor
