#include "audio/sound.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "audio/archive.h"
#include "core/errors.h"
#include "core/keyboard.h"
#include "core/app.h"
#include "core/settings.h"
#include "audio/speech_keys.h"
#include "audio/speech_rate.h"
#include "audio/system_speech.h"
#include "platform/wav.h"

namespace tamblor {

SoundSlot sndBall, sndBumper1, sndBumper2, sndMultiHit, sndWallHit, sndScanBeep, sndScanTrig, sndFlipper, sndBell,
    sndSpellSw, sndScanWait, sndProxBeep;
SoundSlot sndMenuMusic(SoundClass::Music), sndPausedLp(SoundClass::Music);
SoundSlot VoiceBuffer(SoundClass::Speech);
bool NoteOneShots = false;
const SoundSlot* LastOneShot = nullptr;

namespace {
constexpr uint32_t kHolderFlags = kBufCtrlFrequency | kBufCtrlPan | kBufCtrlVolume;  // 224
constexpr uint32_t kVoiceFlags = kBufStatic | kBufCtrlPan | kBufCtrlVolume;          // 194
constexpr uint32_t kStereoVoiceFlags = kBufStatic | kBufCtrlVolume;                  // 130
constexpr int32_t kMinimumMemberSize = 201;  // the buffer is Size - 200 bytes
constexpr size_t kSamplesStart = 44;

// The samples the loaders take from a member: from byte 44, Size - 200 bytes.
void MemberSamples(const void* context, std::vector<int16_t>& samples) {
    const int index = *static_cast<const int*>(context);
    std::vector<uint8_t> bytes = ReadMember(index);
    const size_t length = std::min(size_t(ArchiveDirectory()[index].size) - 200, bytes.size() - kSamplesStart);
    samples.resize(length / 2);
    std::memcpy(samples.data(), bytes.data() + kSamplesStart, samples.size() * 2);
}

// Creates a mixer buffer from an archive member; speech at the player's
// rate. Throws RuntimeError.
BufferId CreateFromMember(int index, uint16_t channels, uint32_t flags, bool speech = false) {
    const ArchiveEntry& entry = ArchiveDirectory()[index];
    if (entry.size < kMinimumMemberSize)
        throw RuntimeError(kErrInvalidParam, "Sound member too short");
    if (speech && SpeechRate != kNormalSpeechRate) {
        const std::vector<int16_t>& voice = StretchedVoice(entry.name, channels, 22050, MemberSamples, &index);
        return SoundMixer().CreateBuffer(PcmFormat(channels), flags, voice.data(), voice.size() * 2, entry.name);
    }
    std::vector<uint8_t> bytes = ReadMember(index);
    size_t length = size_t(entry.size) - 200;
    return SoundMixer().CreateBuffer(PcmFormat(channels), flags, bytes.data() + kSamplesStart, length,
                                     entry.name);
}

// The shared voice, or a text said in its place.
bool VoicePlaying() { return VoiceBuffer.IsPlaying() || TextSpeaking(); }
void StopVoice() {
    VoiceBuffer.Stop();
    CutSpeechText();
}

// The keyboard is not polled here, but a silence key still cuts speech.
void WaitWhilePlaying(SoundSlot& slot) {
    while (slot.IsPlaying()) {
        YieldToSystem();
        if (slot.Class() == SoundClass::Speech && SilenceKeyHeld()) {
            SilenceSpeech();
            return;
        }
    }
}

// A member the archive lacks is not an error, but whoever runs the game
// from a terminal hears about each one once.
bool Absent(int index, const std::string& member) {
    if (index != kMemberNotFound) return false;
    static std::set<std::string> told;
    if (told.insert(UpperCase(member)).second)
        std::fprintf(stderr, "Tamblor: the archive holds no sound '%s'; it is left out.\n", member.c_str());
    return true;
}

// A loose voice that is not there is reported once (once for its whole
// folder when that is what is missing); afterwards only the error sound
// marks the gap. The game goes on either way.
void ReportMissingLooseFile(const std::string& fileName, const std::string& why) {
    static std::set<std::string> told;
    std::string path = LooseFilePath(fileName);
    std::string relative = path.substr(AppPath.size() + 1);
    std::string top = AppPath + "/" + relative.substr(0, relative.find('/'));
    struct stat st;
    bool folderMissing = relative.find('/') != std::string::npos && ::stat(top.c_str(), &st) != 0;
    std::string subject = folderMissing ? top : path;
    if (!told.insert(subject).second) {
        std::fprintf(stderr, "Tamblor: %s\n", why.c_str());
        PlayQuietly("sounds/error.wav", true);
        return;
    }
    std::string text =
        folderMissing
            ? "The folder " + top + ", which holds voices of the game's menus, is missing, so the voice " + path +
                  " cannot be played. The game goes on without those voices; reinstalling Tamblor brings them back."
            : "The voice file " + path + (::lstat(path.c_str(), &st) != 0 ? " is missing" : " cannot be played: " + why) +
                  ". The game goes on without it; reinstalling Tamblor brings it back.";
    ShowErrorReport(text, "sounds/errors/nofile.wav");
}

bool VoiceStartKeyDown() {
    return AnyKeyDown({scan::Return, scan::Up, scan::Down, scan::LeftShift, scan::RightShift, scan::Space,
                       scan::LeftControl, scan::Escape});
}

// Loads and starts a voice; the sound error path on any failure.
void StartVoice(const std::string& member, int index, uint16_t channels, int32_t pan, SoundClass soundClass) {
    FlushSpeechText();  // words held for their message come before this sound
    try {
        uint32_t flags = channels == 1 ? kVoiceFlags : kStereoVoiceFlags;
        VoiceBuffer.Assign(CreateFromMember(index, channels, flags, soundClass == SoundClass::Speech), member,
                           soundClass);
        VoiceBuffer.SetVolume(0);
        if (channels == 1) VoiceBuffer.SetPan(pan);
        VoiceBuffer.Play(false);
    } catch (const RuntimeError&) {
        SoundErrorPath("PlaySound: " + MemberFileName(member));
    }
}

void CreateHolder(SoundSlot& slot, const std::string& member, uint16_t channels) {
    int index = FindMember(member);
    if (Absent(index, member)) return;
    try {
        slot.Assign(CreateFromMember(index, channels, kHolderFlags), member);
    } catch (const RuntimeError&) {
        SoundErrorPath("CreateSoundBuffer: " + MemberFileName(member));
    }
}
}  // namespace

// ------------------------------------------------------------ SoundSlot ---

SoundSlot::~SoundSlot() {
    // Shared holders outlive the platform at exit; the mixer goes with it.
    id_ = kNoBuffer;
}

void SoundSlot::Assign(BufferId id, const std::string& name) {
    BufferId old = id_;
    id_ = id;
    name_ = name;
    if (id_ != kNoBuffer) SoundMixer().SetBufferClass(id_, class_);
    if (old != kNoBuffer) SoundMixer().Release(old);
}

void SoundSlot::Assign(BufferId id, const std::string& name, SoundClass soundClass) {
    class_ = soundClass;
    Assign(id, name);
}

void SoundSlot::SetClass(SoundClass soundClass) {
    class_ = soundClass;
    if (!Empty()) SoundMixer().SetBufferClass(id_, class_);
}

void SoundSlot::Release() {
    if (id_ == kNoBuffer) return;
    BufferId old = id_;
    id_ = kNoBuffer;
    name_.clear();
    SoundMixer().Release(old);
}

void SoundSlot::Play(bool loop) {
    if (Empty()) return;
    SoundMixer().Play(id_, loop);
    // The voice only as an effect (a ghost eaten), never as words.
    if (NoteOneShots && !loop && (this != &VoiceBuffer || class_ != SoundClass::Speech)) LastOneShot = this;
}
void SoundSlot::Stop() {
    if (!Empty()) SoundMixer().Stop(id_);
}
void SoundSlot::Rewind() {
    if (!Empty()) SoundMixer().SetCurrentPosition(id_, 0);
}
void SoundSlot::SetVolume(int32_t volume) {
    if (!Empty()) SoundMixer().SetVolume(id_, std::clamp(volume, kVolumeMin, 0));
}
void SoundSlot::SetPan(int32_t pan) {
    if (!Empty()) SoundMixer().SetPan(id_, std::clamp(pan, kPanLeft, kPanRight));
}
void SoundSlot::SetFrequency(uint32_t hz) {
    if (!Empty()) SoundMixer().SetFrequency(id_, hz);
}
int32_t SoundSlot::Volume() { return Empty() ? 0 : SoundMixer().GetVolume(id_); }
uint32_t SoundSlot::Status() { return Empty() ? 0 : SoundMixer().GetStatus(id_); }
bool SoundSlot::IsPlaying() { return (Status() & kStatusPlaying) != 0; }
bool SoundSlot::IsLooping() { return (Status() & kStatusLooping) != 0; }

// -------------------------------------------------------------- loaders ---

void CreateSoundBuffer(SoundSlot& slot, const std::string& member) { CreateHolder(slot, member, 1); }
void CreateStereoSoundBuffer(SoundSlot& slot, const std::string& member) { CreateHolder(slot, member, 2); }

// -------------------------------------------------------------- players ---

// Keeps a voice of speech for the repeat key; true when it may start.
bool MaySpeak(SoundClass soundClass, VoicePlayer player, const std::string& name, int32_t pan) {
    if (soundClass != SoundClass::Speech) return true;
    RememberSpeech(player, name, pan);
    return !SpeechSilenced();
}

void PlaySound(const std::string& member, int32_t pan, bool wait, SoundClass soundClass) {
    int index = FindMember(member);
    if (Absent(index, member)) return;
    if (!MaySpeak(soundClass, VoicePlayer::Mono, member, pan)) return;
    if (soundClass == SoundClass::Speech && SayVoiceText(member, wait)) return;
    StartVoice(member, index, 1, pan, soundClass);
    if (wait) WaitWhilePlaying(VoiceBuffer);
}

void PlayStereo(const std::string& member, bool wait, SoundClass soundClass) {
    int index = FindMember(member);
    if (Absent(index, member)) return;
    if (!MaySpeak(soundClass, VoicePlayer::Stereo, member, 0)) return;
    if (soundClass == SoundClass::Speech && SayVoiceText(member, wait)) return;
    StartVoice(member, index, 2, 0, soundClass);
    if (wait) WaitWhilePlaying(VoiceBuffer);
}

namespace {
void VoiceAndWait(const std::string& member, uint16_t channels, SoundClass soundClass, void (*meanwhile)()) {
    int index = FindMember(member);
    if (Absent(index, member)) return;
    FlushSpeechText();
    // The key that chose this voice must not cut it short.
    while (VoiceStartKeyDown()) {
        YieldToSystem();
        PollKeyboard();
    }
    if (!MaySpeak(soundClass, channels == 2 ? VoicePlayer::Stereo : VoicePlayer::Mono, member, 0)) return;
    if (soundClass != SoundClass::Speech || !SayVoiceText(member, false))
        StartVoice(member, index, channels, 0, soundClass);
    if (meanwhile != nullptr) meanwhile();
    for (;;) {
        if (!VoicePlaying()) return;
        YieldToSystem();
        PollKeyboard();
        if (AnyKeyDown()) {
            StopVoice();
            return;
        }
    }
}
}  // namespace

void PlayAndWait(const std::string& member, SoundClass soundClass, void (*meanwhile)()) {
    VoiceAndWait(member, 2, soundClass, meanwhile);
}

void PlayMonoAndWait(const std::string& member) { VoiceAndWait(member, 1, SoundClass::Speech, nullptr); }

std::string LooseFilePath(const std::string& fileName) {
    std::string relative = fileName;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return AppPath + "/" + relative;
}

void PlaySoundNP(const std::string& fileName, int32_t pan, bool wait) {
    if (!MaySpeak(SoundClass::Speech, VoicePlayer::Loose, fileName, pan)) return;
    if (SayVoiceText(fileName, wait)) return;
    FlushSpeechText();
    try {
        VoiceBuffer.Assign(CreateLooseSpeech(fileName, kVoiceFlags), fileName, SoundClass::Speech);
        VoiceBuffer.SetVolume(0);
        VoiceBuffer.SetPan(pan);
        VoiceBuffer.Play(false);
    } catch (const RuntimeError& e) {
        if (e.Number() == kErrFileNotFound) {
            // A missing voice file is the installation's fault, not the
            // sound system's: the player is told and plays on.
            ReportMissingLooseFile(fileName, e.what());
            return;
        }
        SoundErrorPath("PlaySoundNP: " + fileName + "  Error #" + std::to_string(e.Number()) + " - " +
                       e.what());
    }
    if (wait) WaitWhilePlaying(VoiceBuffer);
}

void StopBuffer(SoundSlot& slot) {
    try {
        slot.Stop();
    } catch (const RuntimeError& e) {
        ReportError("StopBuffer", e);
    }
}

void KillBuffer(SoundSlot& slot) {
    try {
        slot.Stop();
        slot.Release();
    } catch (const RuntimeError& e) {
        ReportError("KillBuffer", e);
    }
}

void SoundErrorPath(const std::string& message) {
    // The error sound and the voice are tried quietly: the sound system may
    // be what failed, and the report must not call itself again.
    ShowErrorReport(message, "sounds/errors/closing.wav");
    EndProgram(1);
}

bool PlayQuietly(const std::string& member, bool wait) {
    int index = FindMember(member);
    if (index == kMemberNotFound) return false;
    if (SayVoiceText(member, wait)) return true;
    try {
        VoiceBuffer.Assign(CreateFromMember(index, 1, kVoiceFlags), member, SoundClass::Speech);
        VoiceBuffer.SetVolume(0);
        VoiceBuffer.Play(false);
    } catch (const RuntimeError&) {
        return false;
    }
    if (wait) WaitWhilePlaying(VoiceBuffer);
    return true;
}

bool PlayLooseQuietly(const std::string& fileName, bool wait) {
    if (SayVoiceText(fileName, wait)) return true;
    try {
        VoiceBuffer.Assign(SoundMixer().CreateBufferFromFile(LooseFilePath(fileName), kVoiceFlags, fileName),
                           fileName, SoundClass::Speech);
        VoiceBuffer.SetVolume(0);
        VoiceBuffer.Play(false);
    } catch (const RuntimeError&) {
        return false;
    }
    if (wait) WaitWhilePlaying(VoiceBuffer);
    return true;
}

void StopVoiceQuietly() {
    CutSpeechText();
    try {
        VoiceBuffer.Stop();
    } catch (const RuntimeError&) {
    }
}

BufferId CreateLooseSpeech(const std::string& fileName, uint32_t flags) {
    if (SpeechRate == kNormalSpeechRate)
        return SoundMixer().CreateBufferFromFile(LooseFilePath(fileName), flags, fileName);
    const WavData wav = ReadWavFile(LooseFilePath(fileName));
    auto recorded = [](const void* context, std::vector<int16_t>& samples) {
        const WavData& w = *static_cast<const WavData*>(context);
        samples.resize(w.samples.size() / 2);
        std::memcpy(samples.data(), w.samples.data(), samples.size() * 2);
    };
    const std::vector<int16_t>& voice =
        StretchedVoice(fileName, wav.format.channels, wav.format.samplesPerSec, recorded, &wav);
    return SoundMixer().CreateBuffer(wav.format, flags, voice.data(), voice.size() * 2, fileName);
}

bool StartSpeechAgain(VoicePlayer player, const std::string& name, int32_t pan) {
    try {
        if (player == VoicePlayer::Loose) {
            VoiceBuffer.Assign(CreateLooseSpeech(name, kVoiceFlags), name, SoundClass::Speech);
        } else {
            int index = FindMember(name);
            if (index == kMemberNotFound) return false;
            const uint16_t channels = player == VoicePlayer::Mono ? 1 : 2;
            VoiceBuffer.Assign(
                CreateFromMember(index, channels, channels == 1 ? kVoiceFlags : kStereoVoiceFlags, true), name,
                SoundClass::Speech);
        }
        VoiceBuffer.SetVolume(0);
        if (player != VoicePlayer::Stereo) VoiceBuffer.SetPan(pan);
        VoiceBuffer.Play(false);
    } catch (const RuntimeError&) {
        // It played once already; a failure now is not worth ending for.
        return false;
    }
    return true;
}

void ApplyHearingOptions() {
    for (int c = 0; c < kSoundClassCount; ++c) SoundMixer().SetClassVolume(SoundClass(c), ClassVolume[c]);
    SoundMixer().SetPanLaw(PanMode);
}

void ReleaseSharedSounds() {
    SoundSlot* shared[] = {&sndBall,     &sndBumper1,  &sndBumper2,  &sndMultiHit, &sndWallHit,
                           &sndScanBeep, &sndScanTrig, &sndFlipper,  &sndMenuMusic, &sndBell,
                           &sndSpellSw,  &sndScanWait, &sndProxBeep, &sndPausedLp, &VoiceBuffer};
    for (SoundSlot* slot : shared) slot->Release();
}

}  // namespace tamblor
