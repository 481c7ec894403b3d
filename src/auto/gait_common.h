// Building blocks of the built-in AUTO programs. Each program is one step function, called once
// per sampling cycle while AUTO runs: a switch on the AUTO step that hands moves to the motion
// layer, sets the next step and returns. The servo carries the moves out over the following
// cycles; the AUTO post-step clears a leg's motion pending flag once the leg is in position, and
// that is what the next step waits for.
//
// The leg numbers passed to the motion layer here are constants 0..3, which it always accepts, so
// the steps do not test the results of the moves.
#pragma once

#include "core/modes.h"

namespace rokan {

struct Controller;

// Step functions of programs 1..6 and 9: 1 when the step was done (or is still waiting), 0 when
// the AUTO step is none of the program's values (a corrupted step).
int gait1_step(Controller& c);
int gait2_step(Controller& c);
int gait3_step(Controller& c);
int gait4_step(Controller& c);
int gait5_step(Controller& c);
int gait6_step(Controller& c);
int debug_program_step(Controller& c);

// Common entry of a gait whose own steps are first..last: 0 when the AUTO step belongs to no one
// of them (nor is 0 or 1), 1 while a motion pending flag is set (the step repeats next cycle),
// -1 when the step is to run now. Step 0 never waits.
int step_entry(const Controller& c, int first, int last);
bool legs_moving(const Controller& c);

// Step 1 of every program: the run ends in MANUAL mode.
int finish_run(Controller& c);

// Copies VR(i+1) into VR_ORG[i], so that only later slider changes count.
void capture_vr(Controller& c, int i);
// Stride input S = (VR1 - VR_ORG[0]) x gait constant A, clamped to lo..hi.
double stride_from_vr1(const Controller& c, double lo, double hi);
// Body height input of gaits 1..4: Z = (VR2 - VR_ORG[1]) x gait constant B - 250.
double height_from_vr2(const Controller& c);
// The initial posture's coordinates, which the gaits' postures are built from (mm): the feet
// stand at x = -+kStandHalfWidth (legs 0 and 2 on the -x side), the front pair (legs 0, 1) at
// y = kFrontFootY, the rear pair (legs 2, 3) at y = kRearFootY. kHomeHeight is also the home
// foot height of gaits 1..4, the height a run starts from.
inline constexpr double kStandHalfWidth = kInitialPosture[1][0];
inline constexpr double kFrontFootY = kInitialPosture[0][1];
inline constexpr double kRearFootY = kInitialPosture[2][1];
inline constexpr double kHomeHeight = kInitialPosture[0][2];

// Moves every foot to x = -+half_width, the front pair to y = front_y and the rear pair to
// y = rear_y, at height z (legs in the order 0..3).
void four_feet_at(Controller& c, double half_width, double front_y, double rear_y, double z);

void all_legs_by(Controller& c, double dx, double dy, double dz);
// Swing phase of gaits 3 and 4, one leg after the other: for i = 0..11, leg i / 3 is lifted by
// `lift` (leg 0's lift also stops the other legs where they are), swung by `stride` in y, and
// lowered again.
void one_leg_swing(Controller& c, int i, double lift, double stride);

}  // namespace rokan
