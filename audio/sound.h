// Sound holders and the voice players. Preloaded sounds live in named
// holders; voices are loaded into the one shared VoiceBuffer each time they
// are played, so a new voice cuts the previous one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tamblor {

// One mixer buffer, or nothing. Operations on an empty holder do nothing:
// a member missing from the archive simply stays silent.
class SoundSlot {
public:
    // The class of volume whatever it holds answers to.
    explicit SoundSlot(SoundClass soundClass = SoundClass::Effects) : class_(soundClass) {}
    SoundSlot(const SoundSlot&) = delete;
    SoundSlot& operator=(const SoundSlot&) = delete;
    ~SoundSlot();

    bool Empty() const { return id_ == kNoBuffer; }
    BufferId Id() const { return id_; }
    const std::string& Name() const { return name_; }  // member it was loaded from

    // Releases the previous buffer (silencing it) and holds the new one,
    // in the holder's class (or the one given, which it keeps from then on).
    void Assign(BufferId id, const std::string& name);
    void Assign(BufferId id, const std::string& name, SoundClass soundClass);
    SoundClass Class() const { return class_; }
    void SetClass(SoundClass soundClass);
    void Release();

    void Play(bool loop = false);
    void Stop();
    void Rewind();  // position 0
    void SetVolume(int32_t volume);
    void SetPan(int32_t pan);
    void SetFrequency(uint32_t hz);
    int32_t Volume();
    uint32_t Status();
    bool IsPlaying();
    bool IsLooping();

private:
    BufferId id_ = kNoBuffer;
    std::string name_;
    SoundClass class_;
};

// While set, the last one-shot started on a holder (the voice only as an
// effect, never as words) is kept in LastOneShot: a plain store the ball's
// step can afford, read at the pass's yield to name what the ball hit.
extern bool NoteOneShots;
extern const SoundSlot* LastOneShot;

// The fourteen shared holders, created at start-up.
extern SoundSlot sndBall, sndBumper1, sndBumper2, sndMultiHit, sndWallHit, sndScanBeep,
    sndScanTrig, sndFlipper, sndMenuMusic, sndBell, sndSpellSw, sndScanWait, sndProxBeep,
    sndPausedLp;
extern SoundSlot VoiceBuffer;

// Archive sounds: 16-bit 22,050 Hz samples from byte 44, Size - 200 bytes.
void CreateSoundBuffer(SoundSlot& slot, const std::string& member);
void CreateStereoSoundBuffer(SoundSlot& slot, const std::string& member);

// Voices are speech unless the caller says they are an effect or music.
// A voice of speech is kept for the repeat key, and does not start while a
// silence key is held or after the message it belongs to was silenced.
void PlaySound(const std::string& member, int32_t pan, bool wait, SoundClass soundClass = SoundClass::Speech);
void PlayStereo(const std::string& member, bool wait, SoundClass soundClass = SoundClass::Speech);
// Waits for the voice-start keys to be released, then plays; any key cuts it.
// `meanwhile`, when given, runs once as soon as the voice has started (not
// when it cannot start).
void PlayAndWait(const std::string& member, SoundClass soundClass = SoundClass::Speech,
                 void (*meanwhile)() = nullptr);
// The same for a mono voice of speech, centred.
void PlayMonoAndWait(const std::string& member);
// A loose WAV file under the program's folder ("system\hss\x.wav" style
// names are accepted).
void PlaySoundNP(const std::string& fileName, int32_t pan, bool wait);

void StopBuffer(SoundSlot& slot);
void KillBuffer(SoundSlot& slot);

// Plays the error sound, shows `message` and ends the program.
[[noreturn]] void SoundErrorPath(const std::string& message);

// Mono voices for the error reports: any failure leaves them silent instead
// of taking the sound error path, since a report about a sound must not end
// the game. True when the voice started.
bool PlayQuietly(const std::string& member, bool wait);
bool PlayLooseQuietly(const std::string& fileName, bool wait);
void StopVoiceQuietly();

// A buffer for a loose voice file at the player's speech rate. Throws
// RuntimeError as creating from the file does.
BufferId CreateLooseSpeech(const std::string& fileName, uint32_t flags);

// The loose file's path under the program's folder, back-slashes as folders.
std::string LooseFilePath(const std::string& fileName);

// How a voice of speech was played, so the repeat key can play it again.
enum class VoicePlayer : uint8_t { Mono, Stereo, Loose };
// Starts a voice of speech on VoiceBuffer as that player would, without
// keeping it or asking whether speech is silenced; false when it could not
// start (a member or file that is not there, a failing buffer).
bool StartSpeechAgain(VoicePlayer player, const std::string& name, int32_t pan);

// Applies the stored class volumes and pan law to the mixer.
void ApplyHearingOptions();

// Releases every shared holder and the voice (at the end of the process).
void ReleaseSharedSounds();

}  // namespace tamblor
