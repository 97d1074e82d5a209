#include "table/aim_scan.h"

#include <cmath>

#include "audio/sound.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "platform/platform.h"
#include "table/ball.h"

namespace tamblor {

namespace {
constexpr float kProbeFieldEnd = 50.0f;  // probes look only strictly inside 0..50
constexpr float kDegreesPerHeading = 2.8125f;
}  // namespace

bool AimScan::ShotKeyDown() { return FreshKeyDown(scan::LeftShift) || FreshKeyDown(scan::RightShift); }

void AimScan::Probe(int position) {
    StepVector step = StepForAngle(ProbeAngle(position));
    const int32_t pan = CuePan(position);
    float x = Ball.X, y = Ball.Y;
    int reach = shape_.probeSteps;
    for (int i = 0; i < shape_.probeSteps; ++i) {
        x -= step.dx;
        y -= step.dy;
        if (!(x > 0 && x < kProbeFieldEnd && y > 0 && y < kProbeFieldEnd)) continue;
        ProbeAnswer answer = Answer(TableMap.Cells[MapIndex(x)][MapIndex(y)]);
        if (answer.cue) {
            answer.cue->SetPan(pan);
            if (!answer.cue->IsPlaying()) answer.cue->Play(false);
        }
        if (answer.endsProbe) {
            reach = i + 1;
            break;
        }
    }
    ScreenRay(Ball.X, Ball.Y, step.dx, step.dy, reach);
}

int AimScan::Run() {
    // However the scan ends, its ray goes from the window.
    struct RayOff {
        ~RayOff() { ScreenNoRay(); }
    } rayOff;
    for (;;) {
        StartSweep();
        const int stride = shape_.last >= shape_.first ? 1 : -1;
        for (int position = shape_.first;; position += stride) {
            const uint32_t started = GetTick();
            Probe(position);
            while (GetTick() - started < shape_.dwellMs) {
                PollKeyboard();
                // Escape first: a key down with it (a tilt) must not act
                // for a game that is over.
                if (FreshKeyDown(scan::Escape) && Escape()) return -1;
                Keys();
                if (ShotKeyDown()) return position;
                YieldToSystem();
            }
            if (position == shape_.last) break;
        }
    }
}

float FanHeading(const FanSweep& fan, int position) {
    const float heading = (fan.firstDegrees + fan.stepDegrees * float(position)) / kDegreesPerHeading;
    return heading < 0 ? heading + 128 : heading;
}

SideAimScan::SideAimScan(const SideSweep& left, const SideSweep& right, uint32_t dwellMs, int probeSteps)
    : AimScan({left.first, left.last, dwellMs, probeSteps}), sides_{left, right}, dwellMs_(dwellMs),
      probeSteps_(probeSteps) {}

int SideAimScan::SideChosen() {
    if (FreshKeyDown(scan::RightShift)) return 2;
    if (FreshKeyDown(scan::LeftShift)) return 1;
    return 0;
}

bool SideAimScan::Aim(float& shot) {
    Game.ScanWaiting = true;
    sndScanWait.Play(true);
    int side = 0;
    while (side == 0) {
        PollKeyboard();
        YieldToSystem();
        if (FreshKeyDown(scan::Escape) && Escape()) {
            sndScanWait.Stop();
            Game.ScanWaiting = false;
            return false;
        }
        Keys();
        side = SideChosen();
    }
    sndScanWait.Stop();
    Game.ScanWaiting = false;
    // The choosing press must not fire the first position.
    while (KeyDown(scan::LeftShift) || KeyDown(scan::RightShift)) {
        PollKeyboard();
        YieldToSystem();
    }
    side_ = side;
    const SideSweep& sweep = sides_[side - 1];
    SetShape({sweep.first, sweep.last, dwellMs_, probeSteps_});
    if (Run() < 0) return false;
    shot = lastProbe_ + sweep.shotCorrection;
    return true;
}

void SideAimScan::StartSweep() { heading_ = sides_[side_ - 1].startHeading; }

float SideAimScan::ProbeAngle(int) {
    lastProbe_ = NextSideHeading(side_, heading_);
    return lastProbe_ * kDegreesPerHeading;
}

int32_t SideAimScan::CuePan(int position) {
    return sides_[side_ - 1].cuesRightToLeft ? 3200 - position * 100 : position * 100 - 3200;
}

float NextSideHeading(int side, float& heading) {
    if (side == 1) {
        heading = heading < 1 ? 127 - heading : heading - 1;
        return heading;
    }
    heading += 1;
    return heading < 16 ? std::fabs(heading + 112) : std::fabs(heading - 16);
}

}  // namespace tamblor
