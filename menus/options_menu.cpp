#include <iterator>

#include "audio/sound.h"
#include "audio/speech.h"
#include "audio/system_speech.h"
#include "core/app.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "core/settings.h"
#include "menus/main_menu.h"
#include "menus/submenus.h"
#include "platform/platform.h"

namespace tamblor {

bool SubMenuActive = false;

namespace {
// Leaving the menu stays the last entry, whatever options come before it.
const char* const kOptionNames[] = {
    "sounds/menu/mnuTestS.wav", "sounds/menu/mnuGMode.wav", "sounds/menu/mnuGSped.wav", "sounds/menu/mnuMInst.wav",
    "sounds/menu/mnuSpVol.wav", "sounds/menu/mnuFxVol.wav", "sounds/menu/mnuMuVol.wav", "sounds/menu/mnuDuck.wav",
    "sounds/menu/mnuPan.wav",   "sounds/menu/mnuRate.wav",  "sounds/menu/mnuVoice.wav", "sounds/menu/mnuScrn.wav",
    "sounds/menu/mnuRumbl.wav", "sounds/menu/mnuNHits.wav", "sounds/menu/mnuEOM.wav"};
constexpr int kOptionCount = int(std::size(kOptionNames));
enum Entry { kSpeakerTest, kGameMode, kGameSpeed, kInstructions, kSpeechVolume, kEffectsVolume, kMusicVolume,
             kDucking, kPan, kSpeechRate, kVoice, kScreen, kRumble, kNameHits, kLeave };
static_assert(kLeave == kOptionCount - 1);

// Enter changes an option the way it always has (a volume: one step
// quieter, from the quietest back to full); Left and Right turn the
// options that have a level down and up.
enum class Turn { None, Enter, Down, Up };

const char* SpeedName() {
    return GameSpeed == 0 ? "sounds/menu/mnuNorml.wav"
           : GameSpeed == 2 ? "sounds/menu/mnuRelax.wav"
                            : "sounds/menu/mnuInsan.wav";
}

void WaitForEnd(SoundSlot& sound) {
    while (sound.IsPlaying()) YieldToSystem();
}

// "Full volume", "silent", or how many decibels down, at the new level.
void SayVolume(SoundClass soundClass) {
    const int16_t volume = ClassVolume[int(soundClass)];
    if (soundClass == SoundClass::Effects) {
        // An effect first, so the level is heard on what it turns.
        sndBumper1.Play(false);
        WaitForEnd(sndBumper1);
    }
    if (volume == 0) {
        PlaySound("sounds/menu/mnuFull.wav", 0, true);
    } else if (volume <= kVolumeMin) {
        PlaySound("sounds/menu/mnuSilnt.wav", 0, true);
    } else {
        SpeakNumber(-volume / 100);
        PlaySound("sounds/menu/mnuDbDn.wav", 0, true);
    }
}

void TurnVolume(SoundClass soundClass, Turn turn) {
    bool changed = turn == Turn::Up ? StepVolumeUp(soundClass) : StepVolumeDown(soundClass);
    if (!changed && turn == Turn::Enter) {
        ClassVolume[int(soundClass)] = 0;
        changed = true;
    }
    if (changed) {
        SoundMixer().SetClassVolume(soundClass, ClassVolume[int(soundClass)]);
        SaveSettings();
    }
    SayVolume(soundClass);
}

void TurnDucking(Turn turn) {
    bool changed = turn == Turn::Up ? StepDuckingShallower() : StepDuckingDeeper();
    if (!changed && turn == Turn::Enter) {
        DuckingDepth = kDuckingDepths[0];
        changed = true;
    }
    if (changed) SaveSettings();
    // Said over the music at its new depth.
    sndMenuMusic.SetVolume(DuckedMusicVolume());
    if (DuckedMusicVolume() <= kVolumeMin) {
        PlaySound("sounds/menu/mnuDkSil.wav", 0, true);
    } else {
        SpeakNumber(DuckingDepth / 100);
        PlaySound("sounds/menu/mnuDbUnd.wav", 0, true);
    }
}

void TurnPan(Turn turn) {
    const PanLaw before = PanMode;
    if (turn == Turn::Enter) PanMode = PanMode == PanLaw::Classic ? PanLaw::Wide : PanLaw::Classic;
    if (turn == Turn::Down) PanMode = PanLaw::Classic;
    if (turn == Turn::Up) PanMode = PanLaw::Wide;
    if (PanMode != before) {
        SoundMixer().SetPanLaw(PanMode);
        SaveSettings();
    }
    PlaySound(PanMode == PanLaw::Classic ? "sounds/menu/mnuPanCl.wav" : "sounds/menu/mnuPanWd.wav", 0, true);
    // A knock from the left edge of a table to the right.
    for (int32_t pan = kPanLeft; pan <= kPanRight; pan += kPanRight / 2) {
        sndBumper1.SetPan(pan);
        sndBumper1.Play(false);
        WaitForEnd(sndBumper1);
    }
    sndBumper1.SetPan(0);
}

void TurnSpeechRate(Turn turn) {
    bool changed = turn == Turn::Down ? StepSpeechSlower() : StepSpeechFaster();
    if (!changed && turn == Turn::Enter) {
        SpeechRate = kSpeechRates[0];
        changed = true;
    }
    if (changed) {
        SaveSettings();
        ApplySpeechRateToText();
    }
    // Said at the new rate.
    SpeakNumber(SpeechRate);
    PlaySound("sounds/menu/mnuPcent.wav", 0, true);
}

// Recorded voices, or the desktop's speech service; one that does not
// answer is said so in the recorded voice, and the recorded voices stay.
void TurnVoice(Turn turn) {
    const uint8_t wanted = turn == Turn::Enter ? (SystemSpeechActive() ? 0 : 1) : turn == Turn::Up ? 1 : 0;
    if (wanted == 1 && !OpenSystemSpeech()) {
        PlaySound("sounds/menu/mnuVNA.wav", 0, true);
        if (SystemVoice != 0) {
            SystemVoice = 0;
            SaveSettings();
        }
        return;
    }
    if (wanted == 0) CloseSystemSpeech();
    if (SystemVoice != wanted) {
        SystemVoice = wanted;
        SaveSettings();
    }
    // Said by the voice now chosen.
    PlaySound(wanted == 1 ? "sounds/menu/mnuVSys.wav" : "sounds/menu/mnuVRec.wav", 0, true);
}

// What the window shows: Enter goes round table and captions, captions
// only, off; Left and Right step along them. Nothing heard changes.
void TurnScreen(Turn turn) {
    const uint8_t before = ScreenChoice;
    if (turn == Turn::Enter) ScreenChoice = uint8_t((ScreenChoice + 1) % 3);
    if (turn == Turn::Up && ScreenChoice > 0) --ScreenChoice;
    if (turn == Turn::Down && ScreenChoice < 2) ++ScreenChoice;
    if (ScreenChoice != before) {
        SetScreenMode(ScreenChoice);
        SaveSettings();
    }
    PlaySound(ScreenChoice == 0   ? "sounds/menu/mnuScTC.wav"
              : ScreenChoice == 1 ? "sounds/menu/mnuScCO.wav"
                                  : "sounds/menu/mnuScOff.wav",
              0, true);
}

// An option that is on or off: Enter turns it over, Right turns it on and
// Left off; it is stored when it changes and said as it now stands.
void TurnOnOff(uint8_t& option, Turn turn, const char* onVoice, const char* offVoice) {
    const uint8_t wanted = turn == Turn::Enter ? uint8_t(option == 0) : turn == Turn::Up ? 1 : 0;
    if (option != wanted) {
        option = wanted;
        SaveSettings();
    }
    PlaySound(option == 1 ? onVoice : offVoice, 0, true);
}

// Turned on, the pads give one knock so the player feels it.
void TurnRumble(Turn turn) {
    TurnOnOff(RumbleOn, turn, "sounds/menu/mnuRmbOn.wav", "sounds/menu/mnuRmbOf.wav");
    if (RumbleOn == 1) Feel(Buzz::Hit);
}

// In every game, the name of what the ball hits after its sound (practice
// always names them).
void TurnNameHits(Turn turn) { TurnOnOff(NameHits, turn, "sounds/menu/mnuNHOn.wav", "sounds/menu/mnuNHOf.wav"); }

bool HasLevel(int entry) { return entry >= kSpeechVolume && entry <= kNameHits; }

void Act(int entry, Turn turn) {
    switch (entry) {
    case kSpeakerTest:
        PlayStereo("sounds/TestSpkr.wav", true);
        break;
    case kGameMode:
        GameMode = GameMode == 1 ? 0 : 1;
        SaveSettings();
        PlaySound(GameMode == 0 ? "sounds/menu/mnuAccs.wav" : "sounds/menu/mnuClass.wav", 0, true);
        break;
    case kGameSpeed:
        // Normal, insane, relaxed, and round again.
        GameSpeed = GameSpeed == 0 ? 1 : GameSpeed == 1 ? 2 : 0;
        SaveSettings();
        SetSpeedFactor();
        PlaySound(SpeedName(), 0, true);
        break;
    case kInstructions:
        MenuInstructions = MenuInstructions == 0 ? 1 : 0;
        SaveSettings();
        PlaySound(MenuInstructions == 0 ? "sounds/menu/mnuAlwys.wav" : "sounds/menu/mnuFirst.wav", 0, true);
        break;
    case kSpeechVolume:
        TurnVolume(SoundClass::Speech, turn);
        break;
    case kEffectsVolume:
        TurnVolume(SoundClass::Effects, turn);
        break;
    case kMusicVolume:
        TurnVolume(SoundClass::Music, turn);
        break;
    case kDucking:
        TurnDucking(turn);
        break;
    case kPan:
        TurnPan(turn);
        break;
    case kSpeechRate:
        TurnSpeechRate(turn);
        break;
    case kVoice:
        TurnVoice(turn);
        break;
    case kScreen:
        TurnScreen(turn);
        break;
    case kRumble:
        TurnRumble(turn);
        break;
    case kNameHits:
        TurnNameHits(turn);
        break;
    default:
        SubMenuActive = false;
        break;
    }
}
}  // namespace

void SpeakOptionsMenu(int entry) {
    MusicDip dip;
    sndBumper1.Play(false);
    PlayAndWait(kOptionNames[entry]);
}

void OptionsMenu() {
    SubMenuActive = true;
    int entry = 0;
    int32_t noted = sndMenuMusic.Volume();
    ScreenMenu("Options", kOptionNames, kOptionCount);
    {
        MusicDip dip;
        PlayAndWait("sounds/menu/mnuOMI.wav");
    }
    NoteState("options", entry);
    do {
        PollKeyboard();
        YieldIdle();
        MoveWithArrows(entry, kOptionCount, SpeakOptionsMenu);
        Turn turn = Turn::None;
        if (CommandPress(scan::Return)) turn = Turn::Enter;
        else if (HasLevel(entry) && TakeLatchedPress(scan::Left)) turn = Turn::Down;
        else if (HasLevel(entry) && TakeLatchedPress(scan::Right)) turn = Turn::Up;
        if (turn != Turn::None) {
            sndMenuMusic.SetVolume(DuckedMusicVolume());
            Act(entry, turn);
            sndMenuMusic.SetVolume(noted);
            NoteState("options", entry);
        }
        if (CommandPress(scan::Escape)) SubMenuActive = false;
        MenuSpeechKeys();
        HearPadNews();
        UpdateCommandKeysReleased();
    } while (SubMenuActive);
}

}  // namespace tamblor
