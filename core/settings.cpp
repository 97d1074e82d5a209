#include "core/settings.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdlib>
#include <limits>

#include "core/app.h"
#include "core/errors.h"
#include "platform/platform.h"

namespace tamblor {

uint8_t GameMode = 0;
uint8_t GameSpeed = 0;
uint8_t MenuInstructions = 0;
int16_t ClassVolume[kSoundClassCount] = {};
int16_t DuckingDepth = kDuckingDepths[0];
PanLaw PanMode = PanLaw::Classic;
uint16_t SpeechRate = kNormalSpeechRate;
uint8_t SystemVoice = 0;
uint8_t ScreenChoice = 0;
uint8_t RumbleOn = 1;
uint8_t NameHits = 0;
std::string Version;
double BestScore[kTableCount] = {};
int16_t MusicVolume[kTableCount] = {};
ScoreBoardRow ScoreBoard[6];

namespace {
// Fixed for good: changing them would lose every stored best score.
constexpr double kScoreA = 27183;
constexpr double kScoreB = 47;
constexpr double kScoreC = 31415;

// The load order of the "HS" keys and the save order of the "HS" keys.
constexpr int kScoreKeyOrder[] = {kPacMan, kSoccerStar, kSafari, kHeist, kHauntedHouse, kWildWest};
constexpr int kVolumeKeyOrder[] = {kPacMan, kSoccerStar, kHeist, kSafari, kHauntedHouse, kWildWest};

std::string Get(const char* section, const std::string& key, const std::string& fallback) {
    return Settings().Get(kSettingsApp, section, key, fallback);
}
void Put(const char* section, const std::string& key, const std::string& value) {
    Settings().Set(kSettingsApp, section, key, value);
}

// A whole decimal number within [lo, hi]; anything else counts as absent.
bool ParseWhole(const std::string& text, long long lo, long long hi, long long& out) {
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) return false;
    std::string t = text.substr(first, last - first + 1);
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() > 18) return false;
    for (size_t j = i; j < t.size(); ++j) {
        if (t[j] < '0' || t[j] > '9') return false;
    }
    long long value = std::strtoll(t.c_str(), nullptr, 10);
    if (value < lo || value > hi) return false;
    out = value;
    return true;
}

long long GetWhole(const char* section, const std::string& key, long long lo, long long hi) {
    long long value = 0;
    return ParseWhole(Get(section, key, ""), lo, hi, value) ? value : 0;
}

// The minor number: up to two characters after the first ".", read as a
// number (leading digits only). -1 when there are none.
int MinorOf(const std::string& version) {
    size_t dot = version.find('.');
    if (dot == std::string::npos) return -1;
    std::string minor = version.substr(dot + 1, 2);
    int value = 0;
    size_t digits = 0;
    while (digits < minor.size() && minor[digits] >= '0' && minor[digits] <= '9') {
        value = value * 10 + (minor[digits] - '0');
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

// A "Version" value as this program writes it: digits "." digits.
bool WellFormedVersion(const std::string& version) {
    size_t dot = version.find('.');
    if (dot == 0 || dot == std::string::npos || dot + 1 == version.size()) return false;
    for (size_t i = 0; i < version.size(); ++i) {
        if (i != dot && (version[i] < '0' || version[i] > '9')) return false;
    }
    return version.size() <= 12;
}
}  // namespace

namespace {
const char* const kClassVolumeKeys[kSoundClassCount] = {"SpeechVolume", "EffectsVolume", "MusicVolume"};

// A stored volume on the nearest step of its class; anything else (absent,
// not a number, out of range) is full volume.
int16_t StoredVolume(SoundClass soundClass) {
    long long value = 0;
    if (!ParseWhole(Get("Settings", kClassVolumeKeys[int(soundClass)], ""), kVolumeMin, 0, value)) return 0;
    if (value == kVolumeMin) return QuietestVolume(soundClass);
    const long long steps = (-value + kClassVolumeStep / 2) / kClassVolumeStep;
    return static_cast<int16_t>(std::max<long long>(-steps * kClassVolumeStep, kQuietestLevel));
}

// A stored depth on the nearest of the depths; anything else is the usual 10 dB.
int16_t StoredDucking() {
    long long value = 0;
    if (!ParseWhole(Get("Settings", "Ducking", ""), 0, 10000, value)) return kDuckingDepths[0];
    int16_t best = kDuckingDepths[0];
    for (int16_t depth : kDuckingDepths)
        if (std::llabs(depth - value) < std::llabs(best - value)) best = depth;
    return best;
}

// A stored rate on the nearest of the rates; anything else is the recorded pace.
uint16_t StoredSpeechRate() {
    long long value = 0;
    const uint16_t fastest = kSpeechRates[std::size(kSpeechRates) - 1];
    if (!ParseWhole(Get("Settings", "SpeechRate", ""), kSpeechRates[0], fastest, value)) return kNormalSpeechRate;
    uint16_t best = kNormalSpeechRate;
    for (uint16_t rate : kSpeechRates)
        if (std::llabs(rate - value) < std::llabs(best - value)) best = rate;
    return best;
}
}  // namespace

int16_t QuietestVolume(SoundClass soundClass) {
    return soundClass == SoundClass::Music ? int16_t(kVolumeMin) : kQuietestLevel;
}

bool StepVolumeDown(SoundClass soundClass) {
    int16_t& volume = ClassVolume[int(soundClass)];
    if (volume <= QuietestVolume(soundClass)) return false;
    volume = volume <= kQuietestLevel ? int16_t(kVolumeMin) : int16_t(volume - kClassVolumeStep);
    return true;
}

bool StepVolumeUp(SoundClass soundClass) {
    int16_t& volume = ClassVolume[int(soundClass)];
    if (volume >= 0) return false;
    volume = volume < kQuietestLevel ? kQuietestLevel : int16_t(volume + kClassVolumeStep);
    return true;
}

bool StepDuckingDeeper() {
    for (size_t i = 0; i + 1 < std::size(kDuckingDepths); ++i)
        if (DuckingDepth == kDuckingDepths[i]) {
            DuckingDepth = kDuckingDepths[i + 1];
            return true;
        }
    return false;
}

bool StepDuckingShallower() {
    for (size_t i = 1; i < std::size(kDuckingDepths); ++i)
        if (DuckingDepth == kDuckingDepths[i]) {
            DuckingDepth = kDuckingDepths[i - 1];
            return true;
        }
    return false;
}

bool StepSpeechFaster() {
    for (size_t i = 0; i + 1 < std::size(kSpeechRates); ++i)
        if (SpeechRate == kSpeechRates[i]) {
            SpeechRate = kSpeechRates[i + 1];
            return true;
        }
    return false;
}

bool StepSpeechSlower() {
    for (size_t i = 1; i < std::size(kSpeechRates); ++i)
        if (SpeechRate == kSpeechRates[i]) {
            SpeechRate = kSpeechRates[i - 1];
            return true;
        }
    return false;
}

int32_t DuckedMusicVolume() { return DuckingDepth >= -kVolumeMin ? kVolumeMin : -int32_t(DuckingDepth); }

const char* TableKeyName(int table) { return IsTable(table) ? FactsOfTable(table).keyName : ""; }

std::string RunningVersion() { return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor); }

std::string EncodeScore(double score, const std::string& version) {
    int m = MinorOf(version);
    if (m < 0) m = 0;
    double e = score > 0 ? (score + kScoreA) * (m + kScoreB) - kScoreC : 0;
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (!(e >= 1)) return "0";
    std::string text;
    e = std::floor(e);
    while (e >= 1) {
        double next = std::floor(e / 36);
        text.insert(text.begin(), digits[static_cast<int>(e - next * 36)]);
        e = next;
    }
    return text;
}

double DecodeScore(const std::string& text, const std::string& version) {
    // Longer texts than the encoding ever writes are tampered with.
    if (text.empty() || text.size() > 10) return 0;
    double value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'Z') digit = c - 55;
        else return 0;  // not a stored score: treated as absent
        value = value * 36 + digit;
    }
    int m = MinorOf(version);
    if (m < 0) m = 0;
    if (value <= 0) return 0;
    double s = (value + kScoreC) / (m + kScoreB) - kScoreA;
    return (s == std::floor(s) && s > 0) ? s : 0;
}

void LoadSettings() {
    GameMode = static_cast<uint8_t>(GetWhole("Settings", "GameMode", 0, 255));
    GameSpeed = static_cast<uint8_t>(GetWhole("Settings", "GameSpeed", 0, 255));
    MenuInstructions = static_cast<uint8_t>(GetWhole("Settings", "MenuInstructions", 0, 1));
    for (int c = 0; c < kSoundClassCount; ++c) ClassVolume[c] = StoredVolume(SoundClass(c));
    DuckingDepth = StoredDucking();
    PanMode = GetWhole("Settings", "Pan", 0, 1) == 1 ? PanLaw::Wide : PanLaw::Classic;
    SpeechRate = StoredSpeechRate();
    SystemVoice = GetWhole("Settings", "Voice", 0, 1) == 1 ? 1 : 0;
    ScreenChoice = static_cast<uint8_t>(GetWhole("Settings", "Screen", 0, 2));
    long long rumble = 1;  // on until the player turns it off
    RumbleOn = ParseWhole(Get("Settings", "Rumble", "1"), 0, 1, rumble) && rumble == 0 ? 0 : 1;
    NameHits = GetWhole("Settings", "NameHits", 0, 1) == 1 ? 1 : 0;
    Version = RunningVersion();
    // Scores are decoded with the version that wrote them, so an upgrade
    // keeps them; the next save re-encodes them with the running version.
    std::string stored = Get("Settings", "Version", "");
    const std::string& writer = WellFormedVersion(stored) ? stored : Version;
    for (int table : kScoreKeyOrder) {
        double s = DecodeScore(Get("Settings", std::string("HS") + TableKeyName(table), "0"), writer);
        if (s > 0) BestScore[table] = s;
    }
    for (int table : kVolumeKeyOrder) {
        MusicVolume[table] =
            static_cast<int16_t>(GetWhole("Settings", std::string("MV") + TableKeyName(table), -32768, 32767));
    }
    for (int row = 0; row < 6; ++row) {
        std::string n = std::to_string(row);
        ScoreBoard[row].initials = Get("Scores", n + "I", "---");
        ScoreBoard[row].score = static_cast<int32_t>(GetWhole(
            "Scores", n + "S", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        ScoreBoard[row].third = Get("Scores", n + "P", "None");
    }
}

void SaveSettings() {
    if (Version.empty()) Version = RunningVersion();
    Put("Settings", "Version", Version);
    Put("Settings", "GameMode", std::to_string(GameMode));
    Put("Settings", "GameSpeed", std::to_string(GameSpeed));
    Put("Settings", "MenuInstructions", std::to_string(MenuInstructions));
    for (int c = 0; c < kSoundClassCount; ++c) Put("Settings", kClassVolumeKeys[c], std::to_string(ClassVolume[c]));
    Put("Settings", "Ducking", std::to_string(DuckingDepth));
    Put("Settings", "Pan", std::to_string(int(PanMode)));
    Put("Settings", "SpeechRate", std::to_string(SpeechRate));
    Put("Settings", "Voice", std::to_string(int(SystemVoice)));
    Put("Settings", "Screen", std::to_string(int(ScreenChoice)));
    Put("Settings", "Rumble", std::to_string(int(RumbleOn)));
    Put("Settings", "NameHits", std::to_string(int(NameHits)));
    for (int table : kScoreKeyOrder)
        Put("Settings", std::string("HS") + TableKeyName(table), EncodeScore(BestScore[table], Version));
    for (int table : kVolumeKeyOrder)
        Put("Settings", std::string("MV") + TableKeyName(table), std::to_string(MusicVolume[table]));
    for (int row = 0; row < 6; ++row) {
        std::string n = std::to_string(row);
        Put("Scores", n + "I", ScoreBoard[row].initials);
        Put("Scores", n + "S", std::to_string(ScoreBoard[row].score));
        Put("Scores", n + "P", ScoreBoard[row].third);
    }
    if (!Settings().Flush())
        HearNotice("the settings and best scores could not be saved.", "sounds/errors/notsaved.wav");
}

}  // namespace tamblor
