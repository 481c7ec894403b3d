// Operating modes (MANUAL, ORIGIN, AUTO, EMG), the per-cycle mode pre-step, the MANUAL operator
// input, the move to the initial posture and the operator key dispatcher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/robot_state.h"

namespace rokan {

struct Controller;

enum Mode : uint8_t { kManual = 0, kOrigin = 1, kAuto = 2, kEmg = 3 };

// Foot targets of the initial posture (the ORIGIN key I and RIX INITIAL_POSTURE), legs 0..3, mm.
// The built-in gaits stand on the same coordinates (auto/gait_common.h).
inline constexpr double kInitialPosture[kLegCount][3] = {
    {-301, 201, -250}, {301, 201, -250}, {-301, -201, -250}, {301, -201, -250}};

// Value of ModeState::auto_step that marks acknowledged RIX compiler warnings.
inline constexpr uint8_t kRixWarningsAcknowledged = 152;

// The mode line of a running AUTO program and the numbers it was formatted from: the line is
// shown every cycle but its numbers change only now and then. Formatted in place, so that a
// running program's cycle never allocates.
struct RunningLine {
  bool valid = false;
  bool rix = false;
  int32_t program_no = 0;
  int32_t step = 0;  // the RIX program counter or the built-in program's step
  bool stop_reserved = false;
  bool held = false;       // a debugger holds the RIX program
  char text[160] = {};     // CP932; the message strip shows its first 80 bytes
  std::size_t length = 0;  // bytes of `text` in use
};

struct ModeState {
  Mode mode = kManual;
  int32_t selected_leg = -1;    // MANUAL: leg under manual control, -1 none
  uint8_t manual_sub_mode = 1;  // 0 DISABLE, 1 Leg Position, 2 Joint Angle, 3 Joint Torque,
                                // 4 Leg Velocity, 5 Joint Omega
  double position_org[kLegCount][3] = {};  // foot position captured when a leg is taken into manual
  double vr2position[3] = {10.0, 10.0, 5.0};  // mm per V for x (VR1), y (VR2), z (VR3)
  double gait_const[3] = {10.0, 15.0, 5.0};
  bool moving_to_initial = false;
  bool initial_reached = false;
  int32_t program_no = -1;  // -1 none, 0 the RIX program, 1..9 built-in
  bool program_is_rix = false;
  bool auto_running = false;
  uint8_t auto_step = 0;
  bool auto_paused = false;
  bool stop_reserved = false;
  bool program_ended = false;    // the AUTO program came to its own end (not stopped by a key)
  bool key_wait_active = false;  // a RIX KEY_IN waits for a key
  int32_t captured_key = 0;
  bool emg_enable = true;  // lamp "EMG ENABLE"
  // The RIX program file name is Controller::rix.source_name.
  RunningLine running_line;
};

// The one way to change the operating mode: clears the strip, draws the new mode and prompt
// lines and puts every leg into the control mode the new mode needs (EMG: no control, pending
// moves dropped, a RIX run stopped). A value outside the four modes switches to EMG and reports
// "ABNORMAL_MODE": the mode byte never holds anything else.
void set_mode(Controller& c, Mode m);
Mode get_mode(const Controller& c);
// The emergency stop: switches to EMG (every leg out of control, any program stopped), then
// reports `text` (report log, status line, bell). Every stop that says why goes through here.
void emergency_stop(Controller& c, std::string_view text);
// The mode pre-step of every sampling cycle, before the servo: refreshes the status or mode line
// of the present mode and, while AUTO runs, advances the running program by one step (a failed
// step switches to EMG with the program's report). Allocates nothing once each text it shows
// has been shown once.
void leg_control(Controller& c);
// MANUAL with a leg taken: the leg's goal follows the sliders (VR1..3, mm per V in
// ModeState::vr2position) from the foot position captured when it was taken. An unknown sub-mode
// switches to EMG.
void manual_input_step(Controller& c);
// Hands every leg its goal of the initial posture; false when a leg cannot reach it (nothing
// stops).
bool initial_posture_moves(Controller& c);
// The same, but a leg that cannot reach the posture stops the robot ("EMG:Can not origin").
bool initial_posture_moves_or_stop(Controller& c);
// Key I in ORIGIN: the initial posture moves, then ORIGIN waits for all legs to be in position.
// When a move is refused the controller stops in EMG with "EMG:Can not origin".
void start_initial_posture(Controller& c);
// Handles at most one stored key (none while a wait owns the key store); true when the operator
// asked to quit (E in MANUAL or EMG), which the caller confirms.
bool key_dispatch(Controller& c);

}  // namespace rokan
