#include "platform/scripted_platform.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "platform/wav.h"

namespace tamblor {

namespace {
bool SameLabel(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

// ------------------------------------------------------------- services ---

class ScriptedPlatform::ClockImpl : public Clock {
public:
    explicit ClockImpl(ScriptedPlatform& p) : p_(p) {}
    uint32_t Tick() override { return p_.Tick(); }
    void Yield() override { p_.Step(); }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::KeyboardImpl : public Keyboard {
public:
    explicit KeyboardImpl(ScriptedPlatform& p) : p_(p) {}
    int32_t ReadState(uint8_t state[256]) override {
        if (p_.failReads_ > 0) {
            --p_.failReads_;
            return p_.failError_;
        }
        std::memcpy(state, p_.keys_, 256);
        p_.padKeys_.MergeInto(state);
        return 0;
    }
    bool Acquire() override {
        ++p_.acquireCount_;
        return true;
    }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::PadsImpl : public Gamepads {
public:
    explicit PadsImpl(ScriptedPlatform& p) : p_(p) {}
    void SetConfirmKey(uint8_t scanCode) override { p_.padKeys_.SetConfirmKey(scanCode); }
    PadNews TakeNews() override {
        if (p_.padNews_.empty()) return PadNews::None;
        PadNews first = p_.padNews_.front();
        p_.padNews_.erase(p_.padNews_.begin());
        return first;
    }
    bool CanRumble() override { return p_.padPlugged_ && p_.padRumbles_; }
    void Rumble(uint16_t low, uint16_t high, uint32_t ms) override {
        p_.pulse_ = {0, low, high, ms};
        p_.pulseDue_ = true;
    }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::MixerImpl : public Mixer {
public:
    explicit MixerImpl(ScriptedPlatform& p) : p_(p) {}
    bool OpenDevice() override { return p_.deviceAvailable_; }
    BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void*, size_t bytes,
                          std::string_view label) override {
        return p_.NewBuffer(format, flags, bytes, label);
    }
    BufferId CreateBufferFromFile(const std::string& path, uint32_t flags, std::string_view label) override {
        WavData wav = ReadWavFile(path);
        return p_.NewBuffer(wav.format, flags, wav.samples.size(), label);
    }
    void Release(BufferId id) override {
        auto it = p_.buffers_.find(id);
        if (it == p_.buffers_.end()) return;
        p_.Log("release", id, 0);
        p_.buffers_.erase(it);
    }
    void Play(BufferId id, bool loop) override {
        Buffer& b = p_.Get(id);
        p_.Settle(b);
        if (!b.playing) {
            b.startFrame = b.position;
            b.startMicros = p_.nowMicros_;
        }
        b.playing = true;
        b.looping = loop;
        p_.Log(loop ? "loop" : "play", id, 0);
        p_.FireTrigger(b.label);
    }
    void Stop(BufferId id) override {
        Buffer& b = p_.Get(id);
        p_.Settle(b);
        if (b.playing) b.position = CurrentFrame(b);
        b.playing = false;
        p_.Log("stop", id, 0);
    }
    void SetCurrentPosition(BufferId id, uint32_t bytePosition) override {
        Buffer& b = p_.Get(id);
        uint64_t frame = bytePosition / b.format.blockAlign;
        if (frame > b.frames) throw RuntimeError(kErrInvalidParam, "Position beyond the buffer");
        p_.Settle(b);
        b.position = b.startFrame = double(frame);
        b.startMicros = p_.nowMicros_;
        p_.Log("rewind", id, bytePosition);
    }
    void SetVolume(BufferId id, int32_t volume) override {
        Buffer& b = Controlled(id, kBufCtrlVolume);
        if (volume < kVolumeMin || volume > 0) throw RuntimeError(kErrInvalidParam, "Volume out of range");
        b.volume = volume;
        p_.Log("volume", id, volume);
    }
    void SetPan(BufferId id, int32_t pan) override {
        Buffer& b = Controlled(id, kBufCtrlPan);
        if (pan < kPanLeft || pan > kPanRight) throw RuntimeError(kErrInvalidParam, "Pan out of range");
        b.pan = pan;
        p_.Log("pan", id, pan);
    }
    void SetFrequency(BufferId id, uint32_t hz) override {
        Buffer& b = Controlled(id, kBufCtrlFrequency);
        if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax))
            throw RuntimeError(kErrInvalidParam, "Frequency out of range");
        p_.Settle(b);
        // Keep the position continuous across the change of speed.
        if (b.playing) {
            b.startFrame = CurrentFrame(b);
            b.startMicros = p_.nowMicros_;
        }
        b.frequency = hz == 0 ? b.format.samplesPerSec : hz;
        p_.Log("frequency", id, b.frequency);
    }
    int32_t GetVolume(BufferId id) override { return p_.Get(id).volume; }
    // Logged only when they change, so a game at the defaults logs what it
    // always did.
    void SetClassVolume(SoundClass soundClass, int32_t volume) override {
        const int index = static_cast<int>(soundClass);
        if (index < 0 || index >= kSoundClassCount) throw RuntimeError(kErrInvalidParam, "No such class");
        if (volume < kVolumeMin || volume > 0) throw RuntimeError(kErrInvalidParam, "Volume out of range");
        if (p_.classVolume_[index] == volume) return;
        p_.classVolume_[index] = volume;
        static const char* const names[kSoundClassCount] = {"speech", "effects", "music"};
        p_.log_.push_back({p_.NowMs(), "classvolume", names[index], volume, kNoBuffer, soundClass, volume});
    }
    void SetBufferClass(BufferId id, SoundClass soundClass) override {
        const int index = static_cast<int>(soundClass);
        if (index < 0 || index >= kSoundClassCount) throw RuntimeError(kErrInvalidParam, "No such class");
        p_.Get(id).soundClass = soundClass;
    }
    void SetPanLaw(PanLaw law) override {
        if (law != PanLaw::Classic && law != PanLaw::Wide) throw RuntimeError(kErrInvalidParam, "No such pan law");
        if (p_.panLaw_ == law) return;
        p_.panLaw_ = law;
        p_.log_.push_back({p_.NowMs(), "panlaw", law == PanLaw::Wide ? "wide" : "classic", int64_t(law)});
    }
    uint32_t GetStatus(BufferId id) override {
        Buffer& b = p_.Get(id);
        p_.Settle(b);
        if (!b.playing) return 0;
        return kStatusPlaying | (b.looping ? kStatusLooping : 0);
    }

    double CurrentFrame(const Buffer& b) const {
        double elapsed = double(p_.nowMicros_ - b.startMicros) * b.frequency / 1e6;
        double frame = b.startFrame + elapsed;
        if (b.looping && b.frames > 0) frame = std::fmod(frame, double(b.frames));
        return frame;
    }

private:
    Buffer& Controlled(BufferId id, uint32_t control) {
        Buffer& b = p_.Get(id);
        if (!(b.flags & control)) throw RuntimeError(kErrControlUnavailable, "Control not available");
        return b;
    }
    ScriptedPlatform& p_;
};

class ScriptedPlatform::WindowImpl : public Window {
public:
    explicit WindowImpl(ScriptedPlatform& p) : p_(p) {}
    void SetCaption(const std::string& caption) override { p_.caption_ = caption; }
    void Show() override {}
    void MessageBox(const std::string& text) override { p_.messages_.push_back(text); }
    void SetClipboard(const std::string& text) override { p_.clipboard_ = text; }
    bool ClaimSingleInstance() override {
        if (p_.otherInstance_) return false;
        p_.claimedInstance_ = true;
        return true;
    }
    void ActivateRunningInstance() override { p_.activatedOther_ = true; }
    void Draw(const Frame& frame) override {
        p_.frame_ = frame;
        p_.frameDraws_.push_back(p_.Tick());
    }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::SettingsImpl : public SettingsStore {
public:
    explicit SettingsImpl(ScriptedPlatform& p) : p_(p) {}
    std::string Get(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& fallback) override {
        auto k = std::make_tuple(app, section, key);
        auto it = p_.pending_.find(k);
        if (it != p_.pending_.end()) return it->second;
        auto st = p_.stored_.find(k);
        return st != p_.stored_.end() ? st->second : fallback;
    }
    void Set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
        p_.pending_[std::make_tuple(app, section, key)] = value;
    }
    bool Flush() override {
        ++p_.flushCount_;
        if (p_.failFlushes_) return false;
        for (auto& [k, v] : p_.pending_) p_.stored_[k] = v;
        p_.pending_.clear();
        return true;
    }
    std::string TakeReadProblem() override {
        std::string problem;
        problem.swap(p_.readProblem_);
        return problem;
    }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::PathsImpl : public Paths {
public:
    explicit PathsImpl(ScriptedPlatform& p) : p_(p) {}
    std::string AppFolder() override { return p_.appFolder_; }
    std::string UserDataFolder() override { return p_.userDataFolder_; }

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::RandomImpl : public Random {
public:
    explicit RandomImpl(ScriptedPlatform& p) : p_(p) {}
    float Next() override {
        // xorshift64*: deterministic for a given seed.
        uint64_t& x = p_.rng_;
        x ^= x >> 12;
        x ^= x << 25;
        x ^= x >> 27;
        uint64_t r = x * 0x2545F4914F6CDD1Dull;
        return float(r >> 40) / float(1 << 24);
    }
    void Reseed() override {}  // the script's seed stands: games must replay exactly

private:
    ScriptedPlatform& p_;
};

class ScriptedPlatform::SpeechImpl : public SpeechService {
public:
    explicit SpeechImpl(ScriptedPlatform& p) : p_(p) {}
    bool Connect() override {
        p_.speechConnected_ = p_.speechAnswers_;
        p_.speechLost_ = false;
        return p_.speechConnected_;
    }
    void Disconnect() override { p_.speechConnected_ = p_.speechSpeaking_ = false; }
    void Say(const char* text) override {
        if (!p_.speechConnected_ || p_.speechLost_) return;
        p_.saidTexts_.push_back(text);
        p_.speechSpeaking_ = true;
        p_.speechEndMs_ = p_.speechLengthMs_ ? p_.NowMs() + p_.speechLengthMs_ : UINT64_MAX;
        p_.FireTrigger(text);
    }
    void Cancel() override {
        if (!p_.speechConnected_ || p_.speechLost_) return;
        ++p_.speechCancels_;
        p_.speechSpeaking_ = false;
    }
    bool Speaking() override {
        if (p_.NowMs() >= p_.speechEndMs_) p_.speechSpeaking_ = false;
        return p_.speechConnected_ && !p_.speechLost_ && p_.speechSpeaking_;
    }
    bool Lost() override { return p_.speechConnected_ && p_.speechLost_; }
    void SetRelativeRate(int rate) override { p_.speechRate_ = rate; }

private:
    ScriptedPlatform& p_;
};

// ------------------------------------------------------------- platform ---

ScriptedPlatform::ScriptedPlatform()
    : clock_(new ClockImpl(*this)),
      keyboard_(new KeyboardImpl(*this)),
      mixer_(new MixerImpl(*this)),
      window_(new WindowImpl(*this)),
      settings_(new SettingsImpl(*this)),
      paths_(new PathsImpl(*this)),
      random_(new RandomImpl(*this)),
      speech_(new SpeechImpl(*this)),
      pads_(new PadsImpl(*this)) {}

ScriptedPlatform::~ScriptedPlatform() = default;

Platform ScriptedPlatform::Services() {
    Platform p;
    p.clock = clock_.get();
    p.keyboard = keyboard_.get();
    p.mixer = mixer_.get();
    p.window = window_.get();
    p.settings = settings_.get();
    p.paths = paths_.get();
    p.random = random_.get();
    p.speech = speech_.get();
    p.pads = pads_.get();
    return p;
}

uint32_t ScriptedPlatform::Tick() const {
    uint64_t quantised = nowMicros_ / kTickQuantumMicros * kTickQuantumMicros;
    return static_cast<uint32_t>(quantised / 1000);
}

void ScriptedPlatform::Step() {
    nowMicros_ += yieldStepMicros_;
    if (nowMicros_ >= limitMicros_) throw ScriptTimeout{NowMs()};
    if (NowMs() >= closeAtMs_) {
        closeAtMs_ = UINT64_MAX;
        throw ProcessExit{0};
    }
    ApplyKeyEvents();
    if (pulseDue_) {
        pulseDue_ = false;
        pulse_.ms = NowMs();
        rumbles_.push_back(pulse_);
    }
    for (size_t i = 0; i < actions_.size();) {
        if (actions_[i].first > NowMs()) {
            ++i;
            continue;
        }
        auto action = std::move(actions_[i].second);
        actions_.erase(actions_.begin() + long(i));
        action();
    }
    if (onYield_) onYield_();
}

void ScriptedPlatform::PlugPad(bool rumbles) {
    padPlugged_ = true;
    padRumbles_ = rumbles;
    padNews_.push_back(PadNews::Connected);
}

void ScriptedPlatform::UnplugPad() {
    padKeys_.ReleasePad(0);
    padPlugged_ = false;
    padNews_.push_back(PadNews::Disconnected);
}

void ScriptedPlatform::SetPadButton(PadButton button, bool down) { padKeys_.Set(0, button, down); }
void ScriptedPlatform::SetPadAxis(PadAxis axis, int16_t value) { padKeys_.Axis(0, axis, value); }

void ScriptedPlatform::FireTrigger(const std::string& label) {
    for (auto it = triggers_.begin(); it != triggers_.end(); ++it) {
        if (!SameLabel(it->label, label)) continue;
        uint64_t at = NowMs() + it->delayMs;
        keyEvents_.push_back({at, it->scanCode, true});
        keyEvents_.push_back({at + it->holdMs, it->scanCode, false});
        triggers_.erase(it);
        break;
    }
}

void ScriptedPlatform::AdvanceMs(uint64_t ms) {
    nowMicros_ += ms * 1000;
    ApplyKeyEvents();
}

void ScriptedPlatform::ApplyKeyEvents() {
    uint64_t now = NowMs();
    // Stable order: a press and a release due together apply in script order.
    std::stable_sort(keyEvents_.begin(), keyEvents_.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.ms < b.ms; });
    size_t done = 0;
    while (done < keyEvents_.size() && keyEvents_[done].ms <= now) {
        const KeyEvent& e = keyEvents_[done++];
        keys_[e.scanCode] = e.down ? 0x80 : 0;
    }
    keyEvents_.erase(keyEvents_.begin(), keyEvents_.begin() + done);
}

void ScriptedPlatform::PressAt(uint64_t ms, uint8_t scanCode) { keyEvents_.push_back({ms, scanCode, true}); }
void ScriptedPlatform::ReleaseAt(uint64_t ms, uint8_t scanCode) { keyEvents_.push_back({ms, scanCode, false}); }
void ScriptedPlatform::TapAt(uint64_t ms, uint8_t scanCode, uint64_t holdMs) {
    PressAt(ms, scanCode);
    ReleaseAt(ms + holdMs, scanCode);
}
void ScriptedPlatform::TapWhenSoundStarts(const std::string& label, uint8_t scanCode, uint64_t delayMs,
                                          uint64_t holdMs) {
    triggers_.push_back({label, scanCode, delayMs, holdMs});
}
void ScriptedPlatform::SetKeyDown(uint8_t scanCode, bool down) { keys_[scanCode] = down ? 0x80 : 0; }
void ScriptedPlatform::FailReads(int count, int32_t error) {
    failReads_ = count;
    failError_ = error;
}

void ScriptedPlatform::Log(const std::string& op, BufferId id, int64_t value) {
    auto it = buffers_.find(id);
    if (it == buffers_.end()) {
        log_.push_back({NowMs(), op, std::string(), value, id});
        return;
    }
    const SoundClass soundClass = it->second.soundClass;
    log_.push_back({NowMs(), op, it->second.label, value, id, soundClass, classVolume_[static_cast<int>(soundClass)]});
}

ScriptedPlatform::Buffer& ScriptedPlatform::Get(BufferId id) {
    auto it = buffers_.find(id);
    if (it == buffers_.end()) throw RuntimeError(kErrInvalidParam, "No such sound buffer");
    return it->second;
}

void ScriptedPlatform::Settle(Buffer& b) {
    if (!b.playing || b.looping) return;
    double elapsed = double(nowMicros_ - b.startMicros) * b.frequency / 1e6;
    if (b.startFrame + elapsed >= double(b.frames)) {
        b.playing = false;
        b.position = 0;  // a finished one-shot sound starts over next time
    }
}

BufferId ScriptedPlatform::NewBuffer(const WaveFormat& format, uint32_t flags, size_t bytes,
                                     std::string_view label) {
    if (format.formatTag != 1 || format.bitsPerSample != 16 || (format.channels != 1 && format.channels != 2))
        throw RuntimeError(kErrBadFormat, "Unsupported wave format");
    for (const std::string& failing : failingLabels_) {
        if (SameLabel(failing, std::string(label))) throw RuntimeError(kErrOutOfMemory, "Out of memory");
    }
    uint64_t frames = bytes / (2u * format.channels);
    if (frames == 0) throw RuntimeError(kErrInvalidParam, "Empty sound buffer");
    Buffer b;
    b.label = std::string(label);
    b.format = format;
    b.flags = flags;
    b.frames = frames;
    b.frequency = format.samplesPerSec;
    BufferId id = nextId_++;
    buffers_[id] = b;
    Log("create", id, int64_t(frames));
    return id;
}

std::vector<std::string> ScriptedPlatform::Played() const {
    std::vector<std::string> out;
    for (const SoundEvent& e : log_) {
        if (e.op == "play" || e.op == "loop") out.push_back(e.label);
    }
    return out;
}

bool ScriptedPlatform::IsLabelPlaying(const std::string& label) {
    for (auto& [id, b] : buffers_) {
        if (!SameLabel(b.label, label)) continue;
        Settle(b);
        if (b.playing) return true;
    }
    return false;
}

int ScriptedPlatform::LiveBuffers() const { return static_cast<int>(buffers_.size()); }

std::string ScriptedPlatform::Stored(const std::string& section, const std::string& key) const {
    for (auto& [k, v] : stored_) {
        if (std::get<1>(k) == section && std::get<2>(k) == key) return v;
    }
    return "<absent>";
}

void ScriptedPlatform::SetFolders(const std::string& appFolder, const std::string& userDataFolder) {
    appFolder_ = appFolder;
    userDataFolder_ = userDataFolder;
}

}  // namespace tamblor
