#include "audio/system_speech.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/message_text.h"
#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "audio/voice_text.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace tamblor {

namespace {
constexpr const char* kNotAvailable = "sounds/menu/mnuVNA.wav";
constexpr const char* kStopped = "sounds/menu/mnuVLost.wav";

SpeechService* g_service = nullptr;  // connected, and not lost
bool g_toldLost = false;

using Text = MessageText;
Text g_held;                  // joined words waiting for the rest of their message
bool g_heldWait = false;      // a word held was to be waited for
bool g_heldNumber = false;    // a number is among them
Text g_message;               // the last message as said, for the repeat key

bool EndsSentence(const std::string& text) {
    const char last = text.empty() ? 0 : text.back();
    return last == '.' || last == '!' || last == '?';
}

// The service went: the recorded voices take over at once, and the player
// hears so once. The option stays as chosen for the next run.
bool StillConnected() {
    if (g_service == nullptr) return false;
    if (!g_service->Lost()) return true;
    g_service->Disconnect();
    g_service = nullptr;
    g_held.Clear();
    if (!g_toldLost) {
        g_toldLost = true;
        PlaySound(kStopped, 0, true);
    }
    return false;
}

// As a recorded voice waits: until the end, or a silence key.
void WaitForText() {
    while (g_service != nullptr && g_service->Speaking()) {
        YieldToSystem();
        if (SilenceKeyHeld()) {
            SilenceSpeech();
            return;
        }
    }
}

void Send(const char* text, bool wait) {
    // Like any new voice, a text cuts the voice before it.
    if (VoiceBuffer.Class() == SoundClass::Speech && VoiceBuffer.IsPlaying()) VoiceBuffer.Stop();
    g_service->Say(text);
    if (RememberingSpeech()) {
        g_message.AddTo(LastMessagePoll(), text);
    }
    if (wait) WaitForText();
    StillConnected();
}

void Hold(const char* piece, bool wait) {
    g_held.Add(piece);
    g_heldWait = g_heldWait || wait;
}
}  // namespace

bool OpenSystemSpeech() {
    if (g_service != nullptr) return true;
    SpeechService* service = TextSpeech();
    if (service == nullptr || !service->Connect()) return false;
    g_service = service;
    g_toldLost = false;
    g_held.Clear();
    if (SpeechRate != kNormalSpeechRate) ApplySpeechRateToText();
    return true;
}

void CloseSystemSpeech() {
    if (g_service == nullptr) return;
    g_service->Disconnect();
    g_service = nullptr;
    g_held.Clear();
    g_message.Clear();
}

void StartChosenSpeech() {
    if (SystemVoice == 1 && !OpenSystemSpeech()) PlaySound(kNotAvailable, 0, true);
}

bool SystemSpeechActive() { return g_service != nullptr; }

bool SayVoiceText(const std::string& member, bool wait) {
    if (!StillConnected()) return false;
    const std::string& text = VoiceText(member);
    if (text.empty()) return false;
    if (JoinedWord(member)) {
        Hold(text.c_str(), wait);
        // "You have" waits for its number; "points." after it ends the message.
        if (g_heldNumber || EndsSentence(text)) FlushSpeechText();
        return true;
    }
    FlushSpeechText();
    if (g_service != nullptr) Send(text.c_str(), wait);
    return true;
}

bool SayNumberText(double number, bool wait) {
    if (!StillConnected()) return false;
    char digits[24];
    WriteNumberText(number, digits, sizeof digits);
    Hold(digits, wait);
    g_heldNumber = true;
    return true;
}

void FlushSpeechText() {
    if (g_held.length == 0) return;
    // Taken out first: what Send plays (a notice) may flush again.
    static Text sending;
    sending = g_held;
    const bool wait = g_heldWait;
    g_held.Clear();
    g_heldWait = g_heldNumber = false;
    if (StillConnected()) Send(sending.chars, wait);
}

bool TextSpeaking() { return g_service != nullptr && g_service->Speaking(); }

void CutSpeechText() {
    g_held.Clear();
    g_heldWait = g_heldNumber = false;
    if (TextSpeaking()) g_service->Cancel();
}

bool RepeatSpeechText() {
    FlushSpeechText();
    if (!StillConnected() || g_message.length == 0 || g_message.poll != LastMessagePoll()) return false;
    static Text again;
    again = g_message;
    UnrememberedSpeech repeating;
    if (!SilenceKeyHeld()) Send(again.chars, true);
    return true;
}

int RelativeTextRate(uint16_t percent) {
    // Speech services run from about half the usual pace (-100) to about
    // two and a half times it (+100).
    const int p = percent;
    return p >= 100 ? (p - 100) * 100 / 150 : (p - 100) * 2;
}

void ApplySpeechRateToText() {
    if (g_service != nullptr) g_service->SetRelativeRate(RelativeTextRate(SpeechRate));
}

void ForgetSystemSpeech() {
    g_service = nullptr;
    g_toldLost = g_heldWait = g_heldNumber = false;
    g_held.Clear();
    g_message.Clear();
    ForgetVoiceTexts();
}

}  // namespace tamblor
