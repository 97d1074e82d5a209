#include "audio/captions.h"

#include "audio/message_text.h"
#include "audio/voice_text.h"
#include "core/keyboard.h"
#include "core/screen.h"

namespace tamblor {

namespace {
MessageText g_caption;  // the message being said
int g_numberWords = 0;
}  // namespace

void CaptionVoice(const std::string& member) {
    if (g_numberWords > 0) return;
    const std::string& text = VoiceText(member);
    if (text.empty()) return;
    g_caption.AddTo(KeyboardPolls, text.c_str());
    ShowCaption(g_caption.chars);
}

void CaptionNumber(double number) {
    char digits[24];
    WriteNumberText(number, digits, sizeof digits);
    g_caption.AddTo(KeyboardPolls, digits);
    ShowCaption(g_caption.chars);
}

NumberWordsScope::NumberWordsScope() { ++g_numberWords; }
NumberWordsScope::~NumberWordsScope() { --g_numberWords; }

void CaptionAgain() {
    // A repeat comes at a later poll; what it says is the message kept.
    g_caption.poll = KeyboardPolls;
    ShowCaption(g_caption.chars);
}

}  // namespace tamblor
