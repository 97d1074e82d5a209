#include "table/table.h"

#include <algorithm>
#include <cstdio>

#include "audio/positional.h"
#include "audio/sound.h"
#include "audio/speech.h"
#include "audio/speech_keys.h"
#include "core/app.h"
#include "core/errors.h"
#include "core/screen.h"
#include "core/gamepad.h"
#include "core/keyboard.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "table/play.h"
#include "table/named_hits.h"
#include "table/services.h"
#include "table/table_map.h"

namespace tamblor {

const TableDesc* CurrentTable = nullptr;

namespace {
constexpr double kExtraBallPoints = 100000;
constexpr int kLastExtraBallLevel = 64;  // the awards were tuned for 640,000,000 points at most
constexpr float kBelowField = 50;
constexpr float kTurnedBackHeading = 12;

const TableDesc& Table() { return *CurrentTable; }

constexpr size_t kMostLoops = 12;

void StopTableLoops() {
    sndBall.Stop();
    sndScanWait.Stop();
    Game.ScanWaiting = false;
    if (Game.WarningPlaying) {
        sndProxBeep.Stop();
        Game.WarningPlaying = false;
    }
    for (SoundSlot* loop : Table().loops) loop->Stop();
}
}  // namespace

void ExtraBallCheck() {
    if (Game.ExtraBallLevel > kLastExtraBallLevel || !ExtraBallDue(Table().extraBallEvery)) return;
    // The loops are silenced under the voice and come back at the volumes
    // they had (a music turned down stays down).
    const std::span<SoundSlot* const> loops = Table().loops.first(std::min(Table().loops.size(), kMostLoops));
    int32_t volumes[kMostLoops] = {};
    for (size_t i = 0; i < loops.size(); ++i) {
        volumes[i] = loops[i]->Volume();
        loops[i]->SetVolume(kVolumeMin);
    }
    sndBall.SetVolume(kVolumeMin);
    if (Table().extraBallVoice) PlaySound(Table().extraBallVoice, 0, true);
    AwardExtraBall(kExtraBallPoints * (Table().scoreMultiplier ? Table().scoreMultiplier() : 1));
    sndBall.SetVolume(0);
    for (size_t i = 0; i < loops.size(); ++i) loops[i]->SetVolume(volumes[i]);
}

void LoadTable(const TableDesc& table) {
    CurrentTable = &table;
    for (const TableSound& sound : table.sounds) {
        sound.slot->SetClass(sound.slot == table.music ? SoundClass::Music : sound.soundClass);
        if (sound.stereo) CreateStereoSoundBuffer(*sound.slot, sound.member);
        else CreateSoundBuffer(*sound.slot, sound.member);
    }
    LoadMapMember(table.mapMember, table.mapFile);
    PadConfirmKey(scan::Space);
    Game = SharedGameState{};
    if (table.reset) table.reset();
    ScreenTable(FactsOfTable(int(table.id)).helpName, int(table.id));
}

void UnloadTable(const TableDesc& table) {
    PadConfirmKey(scan::Return);
    ForgetNamedHits();
    if (table.unload) table.unload();
    for (SoundSlot* loop : table.loops) loop->Stop();
    sndBall.Stop();
    for (const TableSound& sound : table.sounds) KillBuffer(*sound.slot);
}

void RunTable(const TableDesc& table, bool practice) {
    LoadTable(table);
    Game.Practice = practice;
    PrepareNamedHits(table);
    if (table.intro) PlayAndWait(table.intro, table.introClass);
    Relaunch();
    PlayFromBallEntry();
}

void PlayFromBallEntry() {
    for (;;) {
        try {
            Game.GameRunning = true;
            if (Table().startOfPlay) Table().startOfPlay();
            NoteState("play");
            do {
                PollKeyboard();
                YieldToSystem();
                NameLastHit();
            } while (PlayPass());
            EndGame();
        } catch (const RestartPlay&) {
            // A new ball entry: round the loop, not deeper into the stack.
        }
    }
}

bool PlayPass() {
    if (FreshKeyDown(scan::Escape)) {
        if (Table().escapeForfeitsScore) Game.Score = 0;
        Game.GameRunning = false;
        return false;
    }
    try {
        BallTick();
        // Escape in an aim scan ends the game there: no key of this pass
        // may act for it any more (a tilt would launch a ball of a game
        // that is over).
        if (!Game.GameRunning) return false;
        InPlayKeys();
        if (Table().timers) Table().timers();
        ExtraBallCheck();
        NewHighScoreCue(Table().id);
        if (Table().hasFlippers) CloseFlipperWindow();
    } catch (const RuntimeError& error) {
        // A failing mixer call on a table sound: say so and play on.
        ReportError("PlayTable", error);
    }
    return Game.GameRunning;
}

void BallTick() {
    if (Table().speedDecays) DecaySpeed();
    if (BallStepDue(GetTick())) {
        sndBall.SetPan(PanFor(Ball.X, 25, Table().ballPanScale));
        if (Table().turnsBackBelowField && Ball.Y > kBelowField) Ball.Direction = kTurnedBackHeading;
        MoveBall();
        if (Table().handleCell) {
            OneShotsNoted noted;
            Table().handleCell();
        }
        Game.LastStepTick = static_cast<int32_t>(GetTick());
    }
    if (Table().afterTick) Table().afterTick();
}

void InPlayKeys() {
    const TableDesc& table = Table();
    PadNewsInPlay();
    if (CommandPress(scan::P)) PauseTable();
    if (CommandPress(scan::Return)) Tilt();
    if (table.keys) table.keys();
    if (FreshKeyDown(scan::S) && table.statusReport && (CommandKeysReleased || !table.statusWaitsForCommandKeys)) {
        SayStatus();
        // The report can take many seconds; a key that cut it short is spent.
        SwallowHeldKeys();
    }
    FlipperKeys(table.hasFlippers, table.shiftGated, table.flipperPanLeft, table.flipperPanRight);
    if (table.music) MusicVolumeKeys(table.id, *table.music, table.quietestMusic);
    // The repeat can take many seconds, as the report can.
    if (SpeechKeys()) SwallowHeldKeys();
    UpdateCommandKeysReleased();
}

void Relaunch() {
    LaunchBall();
    SwallowHeldKeys();
}

void RestartBallEntry() { throw RestartPlay{}; }

void LoseBall() {
    NoteState("lost");
    Feel(Buzz::LostBall);
    if (Game.BallsLeft == 0 && !Game.Practice) EndGame();
    if (Table().onBallLost) Table().onBallLost();
    TakeSpareBall();
    Relaunch();
    if (Table().lostBallReentersPlay) RestartBallEntry();
    if (Table().afterRelaunch) Table().afterRelaunch();
    NoteState("play");
}

void Tilt() {
    NoteState("tilt");
    Game.Tilted = true;
    StopTableLoops();
    if (Table().onTilt) Table().onTilt();
    PlaySound("sounds/tilt.wav", 0, true);
    TakeSpareBall();
    Relaunch();
    RestartBallEntry();
}

void TakeSpareBall(bool lastBall) {
    if (Game.Practice) {
        NoteState("ball back");
        PlaySound("sounds/v_PrBack.wav", 0, true);
        return;
    }
    if (Game.BallsLeft == 0) EndGame();
    --Game.BallsLeft;
    if (lastBall) EndGame();
}

void SayStatus() {
    if (Game.Practice) PlaySound("sounds/v_Prac.wav", 0, true);
    if (CurrentTable && CurrentTable->statusReport) CurrentTable->statusReport();
}

void EndGame() {
    const TableDesc& table = Table();
    StopTableLoops();
    // Stored before a word is said: a close or a crash during the voices
    // must not lose the new best score.
    const bool newBest = Game.Score > BestScore[table.id] && !Game.Tilted && !Game.Practice;
    if (newBest) BestScore[table.id] = Game.Score;
    SaveSettings();
    // The final score goes along, so a test can tell a game that scored
    // nothing (and rightly stored no best) from a best score lost.
    char scoreLine[40];
    std::snprintf(scoreLine, sizeof scoreLine, "score %.0f", Game.Score);
    NoteState("game over", -1, scoreLine);
    if (table.beforeGameOver) table.beforeGameOver();
    PlaySound("sounds/v_GOver.wav", 0, true);
    if (newBest) PlaySound("sounds/v_NHTS.wav", 0, true);
    PlaySound("sounds/v_YSW.wav", 0, true);
    SpeakNumber(Game.Score);
    PlaySound("sounds/v_Points.wav", 0, true);
    if (table.finalWords) table.finalWords();
    NoteState("press any key", -1, scoreLine);
    PressAnyKey();
    UnloadTable(table);
    Game.GameRunning = false;
    throw ReturnToMainMenu{};
}

}  // namespace tamblor
