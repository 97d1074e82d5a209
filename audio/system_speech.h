// System speech: with the "Voice" option on, the words of every voice of
// speech go as text to the desktop's speech service (platform SpeechService)
// instead of the recording being played. Joined words and numbers are held
// until their message is whole ("You have 1,234 points."), then sent as one
// text. Voices without words, effects and music are untouched. When the
// service cannot be had, or goes, the recorded voices speak again.
#pragma once

#include <cstdint>
#include <string>

namespace tamblor {

// Connects to the service; false when none answers (voices stay recorded).
bool OpenSystemSpeech();
void CloseSystemSpeech();
// At start-up: connects when the player chose system speech, and says in
// the recorded voice when that cannot be had.
void StartChosenSpeech();
// Texts go to the service now.
bool SystemSpeechActive();

// Says the words of a voice in place of its recording; a waiting voice
// returns when they are said (a silence key cuts them). False when system
// speech is off or the voice has no words: the caller plays the recording.
bool SayVoiceText(const std::string& member, bool wait);
// A number as one text, joined to the words around it.
bool SayNumberText(double number, bool wait);
// Sends the words held for a message that will not go on.
void FlushSpeechText();
// True while the service is saying a text of ours.
bool TextSpeaking();
// Cuts the text being said and drops the words held.
void CutSpeechText();
// Says the last message again as one text; false when the last message was
// not said as text.
bool RepeatSpeechText();
// The speech rate option as the service's relative rate (-100..100):
// 100% is 0, 250% is +100, 75% is -50.
int RelativeTextRate(uint16_t percent);
void ApplySpeechRateToText();

// Drops the service and every text without a word to it (a fresh start, for tests).
void ForgetSystemSpeech();

}  // namespace tamblor
