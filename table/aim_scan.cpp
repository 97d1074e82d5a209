#include "table/aim_scan.h"

#include <cmath>

#include "audio/sound.h"
#include "core/keyboard.h"
#include "platform/platform.h"
#include "table/ball.h"

namespace tamblor {

namespace {
constexpr float kProbeFieldEnd = 50.0f;  // probes look only strictly inside 0..50
}

bool AimScan::ShotKeyDown() { return KeyDown(scan::LeftShift) || KeyDown(scan::RightShift); }

void AimScan::Probe(int position) {
    StepVector step = StepForAngle(ProbeAngle(position));
    const int32_t pan = CuePan(position);
    float x = Ball.X, y = Ball.Y;
    for (int i = 0; i < shape_.probeSteps; ++i) {
        x -= step.dx;
        y -= step.dy;
        if (!(x > 0 && x < kProbeFieldEnd && y > 0 && y < kProbeFieldEnd)) continue;
        ProbeAnswer answer = Answer(TableMap.Cells[MapIndex(x)][MapIndex(y)]);
        if (answer.cue && !answer.cue->IsPlaying()) {
            answer.cue->SetPan(pan);
            answer.cue->Play(false);
        }
        if (answer.endsProbe) break;
    }
}

int AimScan::Run() {
    const int stride = shape_.last >= shape_.first ? 1 : -1;
    for (;;) {
        StartSweep();
        for (int position = shape_.first;; position += stride) {
            const uint32_t started = GetTick();
            Probe(position);
            while (GetTick() - started < shape_.dwellMs) {
                PollKeyboard();
                Keys();
                if (Abandoned()) return -1;
                if (KeyDown(scan::Escape) && Escape()) return -1;
                if (ShotKeyDown()) return position;
                YieldToSystem();
            }
            if (position == shape_.last) break;
        }
    }
}

int ChooseScanSide(void (*keys)(), bool (*escape)()) {
    Game.ScanWaiting = true;
    sndScanWait.Play(true);
    int side = 0;
    while (side == 0) {
        PollKeyboard();
        YieldToSystem();
        keys();
        if (KeyDown(scan::Escape) && escape()) {
            sndScanWait.Stop();
            Game.ScanWaiting = false;
            return 0;
        }
        if (KeyDown(scan::RightShift)) side = 2;
        else if (KeyDown(scan::LeftShift)) side = 1;
    }
    sndScanWait.Stop();
    Game.ScanWaiting = false;
    // The choosing press must not fire the first position.
    while (KeyDown(scan::LeftShift) || KeyDown(scan::RightShift)) {
        PollKeyboard();
        YieldToSystem();
    }
    return side;
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
