// The aim scan: a sweep of probe rays from the ball, each answered by the
// cues of what lies along it, panned to where it points, while the player
// listens and fires with a Shift key. Every table's holes, launchers and
// drains use it with their own range, pans, dwell and answers.
#pragma once

#include <cstdint>

#include "table/table_map.h"

namespace tamblor {

class SoundSlot;

// What a probe hears at one cell.
struct ProbeAnswer {
    SoundSlot* cue = nullptr;  // nullptr: the cell is silent
    bool endsProbe = false;
};

class AimScan {
public:
    struct Shape {
        int first = 0;          // sweep positions, first to last (first may be the larger)
        int last = 0;
        uint32_t dwellMs = 150;  // time on each position
        int probeSteps = 50;    // steps of the step vector a probe takes at most
    };

    explicit AimScan(const Shape& shape) : shape_(shape) {}
    virtual ~AimScan() = default;

    // Sweeps the positions again and again until the player shoots; returns
    // the position that was sounding, or -1 when the scan was left (Escape,
    // or the table's own reason).
    int Run();

    // One probe from the ball's position at a position of the sweep: its
    // cues are panned to it and started; a cue still sounding from the
    // probe before moves to the new pan and plays on.
    void Probe(int position);

protected:
    void SetShape(const Shape& shape) { shape_ = shape; }
    // Before each pass over the positions (a sweep that turns a heading
    // restarts it here).
    virtual void StartSweep() {}
    // The probe's angle in degrees, as TransformPoint takes it; called once
    // per position, in order.
    virtual float ProbeAngle(int position) = 0;
    virtual int32_t CuePan(int position) { return position * 100 - 3200; }
    virtual ProbeAnswer Answer(const MapCell& cell) = 0;
    // The table's in-play keys, on every pass of a dwell.
    virtual void Keys() = 0;
    // Escape is down: true leaves the scan (the table has ended the game
    // or will).
    virtual bool Escape() = 0;
    // Either Shift, pressed for this shot (not one held from a pause).
    virtual bool ShotKeyDown();

private:
    Shape shape_;
};

// A fan of evenly spaced rays: position i probes at firstDegrees +
// stepDegrees x i (the angle TransformPoint takes), and a shot leaves along
// the ray that was sounding.
struct FanSweep {
    float firstDegrees;
    float stepDegrees;
    int positions;
    int probeSteps;
};

// The heading of a fan position's ray in 1/128ths of a turn, 0 up to 128.
float FanHeading(const FanSweep& fan, int position);

class FanAimScan : public AimScan {
public:
    FanAimScan(const FanSweep& fan, uint32_t dwellMs)
        : AimScan({0, fan.positions - 1, dwellMs, fan.probeSteps}), fan_(fan) {}

protected:
    float ProbeAngle(int position) override { return fan_.firstDegrees + fan_.stepDegrees * float(position); }

private:
    FanSweep fan_;
};

// One side of the flipper tables' scans, which first wait for the player to
// choose a side: Left Shift sweeps side 1, Right Shift side 2.
struct SideSweep {
    float startHeading;    // where the heading starts each sweep
    int first, last;       // sweep positions, in the order they sound
    float shotCorrection;  // added to the probe heading of the shot
    bool cuesRightToLeft;  // cues at 3200 - position x 100 instead of position x 100 - 3200
};

class SideAimScan : public AimScan {
public:
    // `probeSteps`: how far each probe reaches, in steps of the step vector.
    SideAimScan(const SideSweep& left, const SideSweep& right, uint32_t dwellMs, int probeSteps = 50);

    // Waits for a side (scan-wait loop sounding meanwhile), then sweeps it
    // until the player shoots. True with the shot heading in `shot`; false
    // when the scan was left.
    bool Aim(float& shot);

    // Which side a Shift chooses: 1 for the left one, 2 for the right one
    // (which wins when both are down), 0 for neither.
    static int SideChosen();

protected:
    void StartSweep() override;
    float ProbeAngle(int position) override;
    int32_t CuePan(int position) override;

private:
    SideSweep sides_[2];
    uint32_t dwellMs_;
    int probeSteps_;
    int side_ = 1;
    float heading_ = 0;
    float lastProbe_ = 0;
};

// The heading of a side sweep's next position. Side 1 turns `heading` down
// by one (from 0 round to 127) and probes along it; side 2 turns it up by
// one and probes along |heading + 112| below 16, else |heading - 16|.
float NextSideHeading(int side, float& heading);

}  // namespace tamblor
