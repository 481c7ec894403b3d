// Servo control and the plant model, completion tests and hold_all.
#pragma once

namespace rokan {

struct Controller;

void control(Controller& c);
void hold_all(Controller& c);

bool leg_in_position(Controller& c, int leg);
bool all_legs_in_position(Controller& c);
bool joint_in_position(Controller& c, int leg, int joint);
bool leg_joints_in_position(Controller& c, int leg);
bool all_joints_in_position(Controller& c);
bool leg_near(Controller& c, int leg);
bool all_legs_near(Controller& c);
bool joint_near(Controller& c, int leg, int joint);
bool leg_joints_near(Controller& c, int leg);
bool all_joints_near(Controller& c);

}  // namespace rokan
