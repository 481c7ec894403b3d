// Servo control and the plant model, completion tests and hold_all. Legs are 0..3, joints 0..2;
// callers pass valid numbers (the motion layer checks what comes from operators and programs).
#pragma once

namespace rokan {

struct Controller;

// The servo pass of one sampling cycle, then the mode post-step. While the servo runs (MANUAL
// with a leg taken, AUTO running, ORIGIN moving to the initial posture) each leg's reference
// generator advances one sampling time, the voltage orders (V, limited to MAX_VOLT) are formed
// and the simulated plant is driven for one sampling time. The post-step then notes what the
// motion reached (initial posture, cleared pending flags). A leg without control while the
// servo runs switches to EMG.
void control(Controller& c);
// Every leg in position control with its goal at the present foot and its orders at 0 V: the
// robot holds still where it is.
void hold_all(Controller& c);

// In-position tests. Each call is one sample of a debounce: the foot (or joint) within its
// POSITION_ERR (ANGLE_ERR) tolerance counts the leg's counter down, outside it reloads it with
// 10; true once ten samples in a row were within, else false. So they advance the counters and are
// called once per cycle by whoever waits.
bool leg_in_position(Controller& c, int leg);
bool all_legs_in_position(Controller& c);  // stops at the first leg not in position
bool joint_in_position(Controller& c, int leg, int joint);
// Joints in joint angle control only; true for a leg with none.
bool leg_joints_in_position(Controller& c, int leg);
bool all_joints_in_position(Controller& c);
// Near tests: one sample, no debounce; the foot within POSITION_ERR_NEAR.
bool leg_near(Controller& c, int leg);
bool all_legs_near(Controller& c);
// No joint is ever in joint angle control, so these always return false.
bool joint_near(Controller& c, int leg, int joint);
bool leg_joints_near(Controller& c, int leg);
bool all_joints_near(Controller& c);

}  // namespace rokan
