// The motion command layer: everything that moves a leg hands its goal to the servo through
// these commands. Each checks its arguments; a bad one switches to EMG and reports why.
#pragma once

#include <cstdint>
#include <string_view>

namespace rokan {

struct Controller;

struct FloorDetectState {
  bool found[4] = {};
  int32_t current_leg = 0;
  double speed = 0;  // mm/s
};

void set_control_mode(Controller& c, int leg, uint8_t code);
int move_leg_to(Controller& c, int leg, double x, double y, double z);
int move_leg_by(Controller& c, int leg, double dx, double dy, double dz);
int move_leg_velocity(Controller& c, int leg, double vx, double vy, double vz);
void set_a_max(Controller& c, int leg, double value);
void set_a_max_percent(Controller& c, int leg, double p);
void set_v_max(Controller& c, int leg, double value);
void set_v_max_percent(Controller& c, int leg, double p);
int detect_floor(Controller& c, uint8_t first, int kind, int leg);
void key_wait_begin(Controller& c);
void key_wait_end(Controller& c);
int file_exists(std::string_view cp932_path);

}  // namespace rokan
