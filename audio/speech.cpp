#include "audio/speech.h"

#include <cmath>

#include "audio/captions.h"
#include "audio/sound.h"
#include "audio/speech_keys.h"
#include "audio/system_speech.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "platform/platform.h"

namespace tamblor {

namespace {
constexpr uint32_t kAnnouncementFlags = kBufStatic | kBufCtrlPan | kBufCtrlVolume;
const std::string kNumbers = "sounds/numbers/";

bool AnnouncementKeyDown() {
    return AnyKeyDown({scan::Return, scan::Up, scan::Down, scan::Left, scan::Right, scan::Space,
                       scan::LeftControl, scan::Escape, scan::RightControl});
}

void Word(std::vector<std::string>& out, const std::string& name) { out.push_back(kNumbers + name + ".wav"); }

// One group of three digits: hundreds, then tens or a teen, then units.
void SayGroup(std::vector<std::string>& out, int hundreds, int tens, int units) {
    if (hundreds != 0) {
        Word(out, std::to_string(hundreds));
        Word(out, "hundred");
    }
    if (tens == 1) {
        Word(out, std::to_string(10 + units));
    } else {
        if (tens >= 2) Word(out, std::to_string(tens) + "0");
        if (units != 0) Word(out, std::to_string(units));
    }
}
}  // namespace

void Announcement(const std::string& fileName) {
    FlushSpeechText();
    while (AnnouncementKeyDown()) {
        YieldToSystem();
        PollKeyboard();
    }
    RememberSpeech(VoicePlayer::Loose, fileName, 0);
    if (SpeechSilenced()) return;
    if (SayVoiceText(fileName, false)) {
        while (TextSpeaking()) {
            YieldToSystem();
            PollKeyboard();
            if (AnnouncementKeyDown()) CutSpeechText();
        }
        return;
    }
    BufferId id = kNoBuffer;
    try {
        id = CreateLooseSpeech(fileName, kAnnouncementFlags);
        SoundMixer().SetBufferClass(id, SoundClass::Speech);
        SoundMixer().SetVolume(id, 0);
        SoundMixer().Play(id, false);
        for (;;) {
            if (!(SoundMixer().GetStatus(id) & kStatusPlaying)) break;
            YieldToSystem();
            PollKeyboard();
            if (AnnouncementKeyDown()) break;
        }
        SoundMixer().Stop(id);
        SoundMixer().Release(id);
    } catch (const RuntimeError& e) {
        if (id != kNoBuffer) SoundMixer().Release(id);
        ReportError("Announcement", e);
    } catch (...) {
        // A close request while waiting still frees the buffer first.
        if (id != kNoBuffer) SoundMixer().Release(id);
        throw;
    }
}

std::vector<std::string> NumberWords(double number) {
    std::vector<std::string> words;
    if (!(number >= 1)) {
        Word(words, "zero");
        return words;
    }
    // Up to 999,999,999,999: billions are said as "... thousand million",
    // with the words there are, rather than dropping digits.
    double whole = std::min(std::floor(number), 999999999999.0);
    int digit[13] = {};
    for (int position = 1; position <= 12; ++position) {
        double next = std::floor(whole / 10);
        digit[position] = static_cast<int>(whole - next * 10);
        whole = next;
    }
    bool billions = digit[10] || digit[11] || digit[12];
    bool millions = digit[7] || digit[8] || digit[9];
    if (billions) {
        SayGroup(words, digit[12], digit[11], digit[10]);
        Word(words, "thousand");
    }
    if (millions) SayGroup(words, digit[9], digit[8], digit[7]);
    if (billions || millions) Word(words, "million");
    SayGroup(words, digit[6], digit[5], digit[4]);
    if (digit[4] || digit[5] || digit[6]) Word(words, "thousand");
    SayGroup(words, digit[3], digit[2], digit[1]);
    return words;
}

void SpeakNumber(double number) {
    CaptionNumber(number);
    NumberWordsScope digitsShown;
    if (SystemSpeechActive()) {
        // Kept word by word as well, so the recorded voices can repeat it
        // should the service go.
        for (const std::string& word : NumberWords(number)) RememberSpeech(VoicePlayer::Mono, word, 0);
        if (SpeechSilenced() || SayNumberText(number, true)) return;
    }
    for (const std::string& word : NumberWords(number)) PlaySound(word, 0, true);
}

}  // namespace tamblor
