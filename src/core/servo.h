// Servo control and the plant model, completion tests and hold_all.
#pragma once

namespace rokan {

struct Controller;

void control(Controller& c);
void hold_all(Controller& c);

int leg_in_position(Controller& c, int leg);
int all_legs_in_position(Controller& c);
int joint_in_position(Controller& c, int leg, int joint);
int leg_joints_in_position(Controller& c, int leg);
int all_joints_in_position(Controller& c);
int leg_near(Controller& c, int leg);
int all_legs_near(Controller& c);
int joint_near(Controller& c, int leg, int joint);
int leg_joints_near(Controller& c, int leg);
int all_joints_near(Controller& c);

}  // namespace rokan
