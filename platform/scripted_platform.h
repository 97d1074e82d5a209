// A platform for tests and bots: virtual time, scripted keys, a mixer that
// records every buffer operation and plays each sound for exactly its
// duration in virtual time, an in-memory settings store, and captured
// message boxes and clipboard. Whole games run in milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/pad_keys.h"
#include "platform/platform.h"

namespace tamblor {

// Thrown by Yield when the script's time limit is reached, so a test that
// waits forever fails instead of hanging.
struct ScriptTimeout {
    uint64_t atMs;
};

struct RumbleEvent {
    uint64_t ms;  // virtual time of the yield that started it
    uint16_t low, high;
    uint32_t length;
};

struct SoundEvent {
    uint64_t ms;         // virtual time
    std::string op;      // "create", "release", "play", "loop", "stop", "rewind", "volume", "pan", "frequency"
    std::string label;   // the member or file the buffer was made from
    int64_t value = 0;   // the operation's argument
    BufferId id = kNoBuffer;
    // The buffer's class and that class's volume when the operation was
    // made ("classvolume" and "panlaw" events name the class or law as
    // their label instead of a buffer).
    SoundClass soundClass = SoundClass::Effects;
    int32_t classVolume = 0;
};

class ScriptedPlatform {
public:
    ScriptedPlatform();
    ~ScriptedPlatform();
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    Platform Services();

    // ---- time
    uint64_t NowMicros() const { return nowMicros_; }
    uint64_t NowMs() const { return nowMicros_ / 1000; }
    void SetYieldStepMicros(uint32_t micros) { yieldStepMicros_ = micros; }
    void SetTimeLimitMs(uint64_t ms) { limitMicros_ = ms * 1000; }
    void AdvanceMs(uint64_t ms);  // moves time without yielding
    // Called on every yield, after keys are applied (bots decide here).
    void OnYield(std::function<void()> hook) { onYield_ = std::move(hook); }

    // ---- keys (times are virtual milliseconds)
    void PressAt(uint64_t ms, uint8_t scanCode);
    void ReleaseAt(uint64_t ms, uint8_t scanCode);
    void TapAt(uint64_t ms, uint8_t scanCode, uint64_t holdMs = 50);
    // Presses the key `delayMs` after the next start of a sound whose label
    // is `label` (ignoring case), for `holdMs`.
    void TapWhenSoundStarts(const std::string& label, uint8_t scanCode, uint64_t delayMs = 10,
                            uint64_t holdMs = 50);
    void SetKeyDown(uint8_t scanCode, bool down);  // at once
    bool IsKeyDown(uint8_t scanCode) const { return (keys_[scanCode] & 0x80) != 0; }
    // The next `count` reads fail with `error` (a lost keyboard).
    void FailReads(int count, int32_t error);
    int AcquireCount() const { return acquireCount_; }

    // Runs `action` at the first yield at or after `ms`.
    void At(uint64_t ms, std::function<void()> action) { actions_.push_back({ms, std::move(action)}); }

    // ---- one game controller, its buttons heard as keys
    void PlugPad(bool rumbles = true);
    void UnplugPad();
    void SetPadButton(PadButton button, bool down);
    void SetPadAxis(PadAxis axis, int16_t value);
    const std::vector<RumbleEvent>& Rumbles() const { return rumbles_; }

    // ---- window
    void RequestCloseAt(uint64_t ms) { closeAtMs_ = ms; }
    void SetOtherInstanceRunning(bool running) { otherInstance_ = running; }
    bool ActivatedOtherInstance() const { return activatedOther_; }
    bool ClaimedInstance() const { return claimedInstance_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    const std::string& Clipboard() const { return clipboard_; }
    const std::string& Caption() const { return caption_; }
    // The frame last handed to the window, and the tick of each one handed.
    const Frame& DrawnFrame() const { return frame_; }
    const std::vector<uint32_t>& FrameDraws() const { return frameDraws_; }

    // ---- mixer
    const std::vector<SoundEvent>& SoundLog() const { return log_; }
    void ClearSoundLog() { log_.clear(); }
    // Labels of the sounds started (play or loop), in order.
    std::vector<std::string> Played() const;
    bool IsLabelPlaying(const std::string& label);
    int LiveBuffers() const;
    void SetDeviceAvailable(bool available) { deviceAvailable_ = available; }
    int32_t ClassVolume(SoundClass soundClass) const { return classVolume_[static_cast<int>(soundClass)]; }
    PanLaw CurrentPanLaw() const { return panLaw_; }
    // Creating a buffer for this label fails (an unplayable sound).
    void FailCreateFor(const std::string& label) { failingLabels_.push_back(label); }

    // ---- settings: what Flush last made durable, and how often
    std::map<std::tuple<std::string, std::string, std::string>, std::string>& StoredSettings() {
        return stored_;
    }
    std::string Stored(const std::string& section, const std::string& key) const;
    int FlushCount() const { return flushCount_; }
    // Every flush fails (a full disk, a read-only folder) while set.
    void FailFlushes(bool fail) { failFlushes_ = fail; }
    // What the store tells the game about reading the stored settings.
    void SetReadProblem(const std::string& problem) { readProblem_ = problem; }

    // ---- speech service: a stand-in that records texts instead of saying
    // them. TapWhenSoundStarts also fires on a text said, by its words.
    void SetSpeechAnswers(bool answers) { speechAnswers_ = answers; }  // Connect fails while false
    // Each text ends this long after it was said; 0: only EndSpeech ends it.
    void SetSpeechLengthMs(uint64_t ms) { speechLengthMs_ = ms; }
    void EndSpeech() { speechSpeaking_ = false; }  // the end event of the text being said
    void LoseSpeech() { speechLost_ = true; }      // the service stops
    const std::vector<std::string>& SaidTexts() const { return saidTexts_; }
    void ClearSaidTexts() { saidTexts_.clear(); }
    int SpeechCancels() const { return speechCancels_; }
    bool SpeechConnected() const { return speechConnected_; }
    int SpeechRelativeRate() const { return speechRate_; }

    // ---- paths and randomness
    void SetFolders(const std::string& appFolder, const std::string& userDataFolder);
    void Seed(uint64_t seed) { rng_ = seed ? seed : 1; }

private:
    class ClockImpl;
    class KeyboardImpl;
    class MixerImpl;
    class WindowImpl;
    class SettingsImpl;
    class PathsImpl;
    class RandomImpl;
    class SpeechImpl;
    class PadsImpl;

    struct KeyEvent {
        uint64_t ms;
        uint8_t scanCode;
        bool down;
    };
    struct SoundTrigger {
        std::string label;
        uint8_t scanCode;
        uint64_t delayMs;
        uint64_t holdMs;
    };
    struct Buffer {
        std::string label;
        WaveFormat format;
        uint32_t flags = 0;
        uint64_t frames = 0;
        uint32_t frequency = 0;
        int32_t volume = 0;
        int32_t pan = 0;
        SoundClass soundClass = SoundClass::Effects;
        bool playing = false;
        bool looping = false;
        uint64_t startMicros = 0;
        double startFrame = 0;  // position when it was started
        double position = 0;    // position while stopped
    };

    void Step();
    void FireTrigger(const std::string& label);
    void ApplyKeyEvents();
    void Log(const std::string& op, BufferId id, int64_t value);
    Buffer& Get(BufferId id);
    void Settle(Buffer& b);  // ends a one-shot buffer whose time is up
    BufferId NewBuffer(const WaveFormat& format, uint32_t flags, size_t bytes, std::string_view label);
    uint32_t Tick() const;

    uint64_t nowMicros_ = 0;
    uint32_t yieldStepMicros_ = 1000;
    uint64_t limitMicros_ = 3600ull * 1000 * 1000;
    std::function<void()> onYield_;

    uint8_t keys_[256] = {};
    std::vector<std::pair<uint64_t, std::function<void()>>> actions_;
    PadKeys padKeys_;
    bool padPlugged_ = false;
    bool padRumbles_ = false;
    std::vector<PadNews> padNews_;
    bool pulseDue_ = false;
    RumbleEvent pulse_{};
    std::vector<RumbleEvent> rumbles_;
    std::vector<KeyEvent> keyEvents_;
    std::vector<SoundTrigger> triggers_;
    int failReads_ = 0;
    int32_t failError_ = 0;
    int acquireCount_ = 0;

    uint64_t closeAtMs_ = UINT64_MAX;
    bool otherInstance_ = false;
    bool activatedOther_ = false;
    bool claimedInstance_ = false;
    std::vector<std::string> messages_;
    std::string clipboard_;
    std::string caption_;
    Frame frame_;
    std::vector<uint32_t> frameDraws_;

    std::map<BufferId, Buffer> buffers_;
    BufferId nextId_ = 1;
    std::vector<SoundEvent> log_;
    bool deviceAvailable_ = true;
    std::vector<std::string> failingLabels_;
    int32_t classVolume_[kSoundClassCount] = {};
    PanLaw panLaw_ = PanLaw::Classic;

    std::map<std::tuple<std::string, std::string, std::string>, std::string> pending_;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> stored_;
    int flushCount_ = 0;
    bool failFlushes_ = false;
    std::string readProblem_;

    bool speechAnswers_ = true;
    bool speechConnected_ = false;
    bool speechSpeaking_ = false;
    bool speechLost_ = false;
    uint64_t speechLengthMs_ = 500;
    uint64_t speechEndMs_ = 0;
    std::vector<std::string> saidTexts_;
    int speechCancels_ = 0;
    int speechRate_ = 0;

    std::string appFolder_ = ".";
    std::string userDataFolder_ = ".";
    uint64_t rng_ = 0x9E3779B97F4A7C15ull;

    std::unique_ptr<ClockImpl> clock_;
    std::unique_ptr<KeyboardImpl> keyboard_;
    std::unique_ptr<MixerImpl> mixer_;
    std::unique_ptr<WindowImpl> window_;
    std::unique_ptr<SettingsImpl> settings_;
    std::unique_ptr<PathsImpl> paths_;
    std::unique_ptr<RandomImpl> random_;
    std::unique_ptr<SpeechImpl> speech_;
    std::unique_ptr<PadsImpl> pads_;
};

}  // namespace tamblor
