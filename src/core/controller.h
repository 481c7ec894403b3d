// The controller: one plain aggregate of every record the control software works on. One is
// created per run (a test builds a fresh one) and passed by reference to free functions; there
// are no hidden globals.
#pragma once

#include <string>
#include <utility>

#include "auto/auto_state.h"
#include "console/console.h"
#include "core/cycle.h"
#include "core/kinematics.h"
#include "core/logger.h"
#include "core/modes.h"
#include "core/params.h"
#include "core/plant_faults.h"
#include "core/robot_state.h"
#include "core/safety.h"
#include "core/sensors.h"
#include "core/servo_state.h"
#include "core/view_state.h"
#include "motion/motion.h"
#include "rix/compiler/image.h"

namespace rokan {

class Host;
struct RixWatch;
struct PlotSampler;

struct Controller {
  // `ws` is the workspace: the local directory user.ini, emg\ and the users' directories are
  // in. Every file the controller opens is named relative to it (see rooted_path); empty means
  // the directory the process was started in.
  explicit Controller(Host& h, std::string ws = {}) : host(h), workspace(std::move(ws)) {
    rix.workspace = workspace;
  }
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  Host& host;
  const std::string workspace;
  Params params{};
  Sensor sensor{};
  RobotState state{};
  LegServo servo[kLegCount]{};
  ModeState mode{};
  CycleState cycle{};
  SafetyState safety{};
  LoggerState logger{};
  ConsoleState console{};
  FloorDetectState floor{};
  ViewState view{};
  RixImage rix{};             // the compiled RIX program, shared by compiler and runtime
  AutoState auto_state{};     // values shared by the built-in AUTO programs
  KinematicsMemo kin_memo{};  // trigonometry the cycle reuses while its inputs stand still
  // The live state's rates (omega, foot velocity, ...), worked out when read (settle_rates).
  DeferredRates angle_rates{}, foot_rates{};
  RixWatch* rix_watch = nullptr;  // a tool watching the RIX interpreter (the debugger), or none
  // A broken simulated robot (rokan-sim's fault injection); not owned, null on a healthy robot.
  PlantFaults* plant_faults = nullptr;
  // The live plot's ring while a plot window shows (not owned); the cycle samples into it.
  PlotSampler* plot = nullptr;
};

}  // namespace rokan
