// The operating-system services the game uses, behind one small interface
// each. Game code calls the free functions at the bottom of this file; main()
// or a test installs an implementation (the SDL one, or the scripted one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/frame.h"

namespace tamblor {

// A failure inside a platform call, carrying the error number and
// description the error reports show the player.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int32_t Number() const { return number_; }

private:
    int32_t number_;
};

// Error numbers, as the mixer and keyboard report them.
constexpr int32_t kErrInvalidParam = static_cast<int32_t>(0x80070057);
constexpr int32_t kErrOutOfMemory = static_cast<int32_t>(0x8007000E);
constexpr int32_t kErrControlUnavailable = static_cast<int32_t>(0x8878001E);
constexpr int32_t kErrFileNotFound = 53;  // a loose file that is not there
constexpr int32_t kErrBadFormat = static_cast<int32_t>(0x88780064);
constexpr int32_t kErrNotAcquired = static_cast<int32_t>(0x8007000C);
constexpr int32_t kErrInputLost = static_cast<int32_t>(0x8007001E);

// Ends the process: thrown by a window close request, ExitGame and the sound
// error path, and caught only by main(), which returns the status.
struct ProcessExit {
    int status = 0;
};

// ---------------------------------------------------------------- clock ---

// The game's timing was tuned on a millisecond tick that advances 64 times a
// second; both clocks advance in steps of this many microseconds.
constexpr uint32_t kTickQuantumMicros = 15625;

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Tick() = 0;  // milliseconds, wraps at 2^32
    // Pumps window events (a close request throws ProcessExit), then waits
    // for the next one, at most until the tick can next have moved on: a
    // key, or a sound that ran out, ends the wait at once.
    virtual void Yield() = 0;
    // As Yield, for a pass with nothing timed to look at (a menu waiting for
    // a key): with no event the wait may last several clock steps.
    virtual void YieldIdle() { Yield(); }
};

// ------------------------------------------------------------- keyboard ---

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Fills 256 bytes indexed by scan code (bit 7 = down). Returns 0, or
    // kErrNotAcquired / kErrInputLost when the state could not be read.
    virtual int32_t ReadState(uint8_t state[256]) = 0;
    // Sets the device up again; false when that failed (the next read tries again).
    virtual bool Acquire() = 0;
};

// ---------------------------------------------------------------- mixer ---

struct WaveFormat {
    uint16_t formatTag = 1;  // PCM
    uint16_t channels = 1;
    uint32_t samplesPerSec = 22050;
    uint32_t avgBytesPerSec = 44100;
    uint16_t blockAlign = 2;
    uint16_t bitsPerSample = 16;
};

WaveFormat PcmFormat(uint16_t channels, uint32_t rate = 22050);

// Buffer description flags.
constexpr uint32_t kBufStatic = 2;
constexpr uint32_t kBufCtrlFrequency = 32;
constexpr uint32_t kBufCtrlPan = 64;
constexpr uint32_t kBufCtrlVolume = 128;

// Buffer status bits.
constexpr uint32_t kStatusPlaying = 1;
constexpr uint32_t kStatusLooping = 4;

constexpr int32_t kVolumeMin = -10000;  // silent
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 100000;

using BufferId = int32_t;  // 0 is never a valid buffer
constexpr BufferId kNoBuffer = 0;

// Which of the player's three volumes a sound answers to.
enum class SoundClass : uint8_t { Speech = 0, Effects = 1, Music = 2 };
constexpr int kSoundClassCount = 3;

// How a pan value is heard. Classic: a positive pan attenuates the left
// channel by pan/100 dB and leaves the right at full, and the other way
// round. Wide: the pan range is spread over a constant-power arc that never
// leaves either ear (a pan of 0 is heard exactly as in classic).
enum class PanLaw : uint8_t { Classic = 0, Wide = 1 };

// A software mixer with the semantics of a classic secondary-buffer sound
// API: volume and pan in hundredths of a decibel, frequency in samples per
// second. Every operation throws RuntimeError for a bad buffer, a value out
// of range or a control the buffer was not created with.
class Mixer {
public:
    virtual ~Mixer() = default;
    // Opens the output device (falling back to a silent one where the
    // machine has no sound device). False only when no device at all could
    // be had; no other call may be made then.
    virtual bool OpenDevice() = 0;
    // A stopped buffer at position 0, volume 0, pan 0, the format's rate.
    // Only 16-bit PCM with 1 or 2 channels is accepted; `bytes` is rounded
    // down to whole frames and must hold at least one. `label` names the
    // sound (the archive member) in logs.
    virtual BufferId CreateBuffer(const WaveFormat& format, uint32_t flags, const void* data,
                                  size_t bytes, std::string_view label) = 0;
    // Reads a RIFF WAV file (16-bit PCM); its header gives the format.
    virtual BufferId CreateBufferFromFile(const std::string& path, uint32_t flags,
                                          std::string_view label) = 0;
    virtual void Release(BufferId id) = 0;  // silences it; unknown ids are ignored
    virtual void Play(BufferId id, bool loop) = 0;
    virtual void Stop(BufferId id) = 0;  // keeps the position
    virtual void SetCurrentPosition(BufferId id, uint32_t bytePosition) = 0;
    virtual void SetVolume(BufferId id, int32_t volume) = 0;  // -10000..0
    virtual void SetPan(BufferId id, int32_t pan) = 0;        // -10000..10000
    virtual void SetFrequency(BufferId id, uint32_t hz) = 0;  // 100..100000, 0 = original
    virtual int32_t GetVolume(BufferId id) = 0;
    virtual uint32_t GetStatus(BufferId id) = 0;

    // A gain over every buffer of a class, on top of each buffer's own
    // volume (which GetVolume still reports), in the units of SetVolume.
    // Every class starts at 0 (full).
    virtual void SetClassVolume(SoundClass soundClass, int32_t volume) = 0;  // -10000..0
    // New buffers are effects until told otherwise.
    virtual void SetBufferClass(BufferId id, SoundClass soundClass) = 0;
    virtual void SetPanLaw(PanLaw law) = 0;  // classic until told otherwise
};

// --------------------------------------------------------------- window ---

class Window {
public:
    virtual ~Window() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    // OK-only message box; the text also goes to standard error, since the
    // player may not see the screen. Returns when dismissed.
    virtual void MessageBox(const std::string& text) = 0;
    virtual void SetClipboard(const std::string& text) = 0;
    // Takes the single-instance lock. False when another instance holds it.
    virtual bool ClaimSingleInstance() = 0;
    // Asks the running instance to raise its window.
    virtual void ActivateRunningInstance() = 0;
    // Shows `frame` (kept, so the window can be drawn again when it is
    // uncovered or resized). Called only when something in it changed.
    virtual void Draw(const Frame& frame) { (void)frame; }
};

// ------------------------------------------------------------- settings ---

// String values by application, section and key, kept per user.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string Get(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    virtual void Set(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
    // Makes every Set so far durable (atomically replaces the stored file).
    // False when that failed; the values stay in memory for the next try.
    virtual bool Flush() = 0;
    // What went wrong while reading the stored settings ("" when nothing
    // did): lines set aside, or something other than a file in the way.
    // Told once; the next call returns "".
    virtual std::string TakeReadProblem() { return ""; }
};

// ---------------------------------------------------------------- paths ---

class Paths {
public:
    virtual ~Paths() = default;
    virtual std::string AppFolder() = 0;       // folder of the running program
    virtual std::string UserDataFolder() = 0;  // per-user data root; "Tamblor" goes under it
};

// --------------------------------------------------------------- random ---

class Random {
public:
    virtual ~Random() = default;
    virtual float Next() = 0;  // uniform in [0, 1)
    virtual void Reseed() = 0;
};

// ------------------------------------------------------- speech service ---

// The desktop's speech service, which says texts in the player's own voice,
// rate and language. Nothing is connected before Connect, and no call waits
// on the service: its answers are looked at, never waited for.
class SpeechService {
public:
    virtual ~SpeechService() = default;
    // False when no service answers.
    virtual bool Connect() = 0;
    virtual void Disconnect() = 0;
    // Starts saying `text` (UTF-8), cutting whatever it was saying.
    virtual void Say(const char* text) = 0;
    virtual void Cancel() = 0;  // cuts what it is saying
    // True until the end (or the cut) of the last text is heard back.
    virtual bool Speaking() = 0;
    // True once a connection that was made has gone (the service stopped).
    virtual bool Lost() = 0;
    // -100..100 from the player's own rate (0: as the player has it).
    virtual void SetRelativeRate(int rate) = 0;
};

// ------------------------------------------------------------- gamepads ---

// Game controllers, whose buttons the keyboard's ReadState already reports
// as the keys they stand for.
enum class PadNews : uint8_t { None, Connected, Disconnected };

class Gamepads {
public:
    virtual ~Gamepads() = default;
    // The key A presses from its next press on (Return, or Space).
    virtual void SetConfirmKey(uint8_t scanCode) = 0;
    // The oldest plug or unplug not told yet. An unplugged pad has already
    // let go of every key it held.
    virtual PadNews TakeNews() = 0;
    // Some connected pad can rumble.
    virtual bool CanRumble() = 0;
    // Both motors at these strengths for `ms`, replacing any pulse still
    // running. Only noted here: the pulse starts at the next yield.
    virtual void Rumble(uint16_t low, uint16_t high, uint32_t ms) = 0;
};

// ------------------------------------------------------------- platform ---

struct Platform {
    Clock* clock = nullptr;
    Keyboard* keyboard = nullptr;
    Mixer* mixer = nullptr;
    Window* window = nullptr;
    SettingsStore* settings = nullptr;
    Paths* paths = nullptr;
    Random* random = nullptr;
    SpeechService* speech = nullptr;  // none: voices are always recorded
    Gamepads* pads = nullptr;         // none: the keyboard only
};

void InstallPlatform(const Platform& platform);
const Platform& CurrentPlatform();

// The calls game code makes.
uint32_t GetTick();
void YieldToSystem();
// For a loop that acts only on what an event brings (a key, a controller's
// news, a sound that ran out) and never on the clock: an idle menu then
// wakes a few times a second instead of at every clock step.
void YieldIdle();
// Runs at the start of every YieldToSystem: the game hands the window its
// picture there, never from inside a pass.
void SetBeforeYield(void (*hook)());
Mixer& SoundMixer();
Keyboard& KeyboardDevice();
Window& MainWindow();
SettingsStore& Settings();
std::string ProgramFolder();
std::string UserDataRoot();
float Rnd();
void Randomize();
SpeechService* TextSpeech();  // nullptr when the platform has none
Gamepads* Pads();             // nullptr when the platform has none

// Where the player is (a menu entry, the launch prompt, play, game over):
// written to the file named by TAMBLOR_STATE_FILE, when it is set, so a
// test driving the real program can wait for the state it needs instead of
// guessing how long a voice takes. Called on changes only, never per pass.
// `detail`, when given, is a second line (game over adds the final score).
void NoteState(const char* place, int number = -1, const char* detail = nullptr);

}  // namespace tamblor
