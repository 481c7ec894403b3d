// A controller in a running AUTO program 0 on the fake host, for stepping the RIX runtime one
// instruction at a time (rix_step alone: no servo pass, so the robot stands still unless a test
// runs cycles). Programs are hand-built instruction records, which can hold what no compiler
// writes, or compiled sources.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "auto/auto_program.h"
#include "core/modes.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/tables.h"
#include "rix/rix_test_support.h"
#include "rix/runtime/runtime.h"
#include "support/fake_host.h"

namespace rokan::test {

using Arg = std::pair<uint8_t, double>;  // kind, value

inline RixInstruction ins(uint8_t command, uint8_t target = rix::NO_TARGET,
                          std::initializer_list<Arg> args = {}) {
  RixInstruction r;
  r.command = command;
  r.target = target;
  int slot = 0;
  for (const Arg& a : args) {
    r.arg_type[slot] = a.first;
    r.arg_value[slot] = a.second;
    ++slot;
  }
  return r;
}
inline RixInstruction ins(uint8_t command, std::initializer_list<Arg> args) {
  return ins(command, rix::NO_TARGET, args);
}

inline Arg var(int index) {
  return {rix::VAR, index};
}
inline Arg constant(double v) {
  return {rix::CONSTANT, v};
}
inline Arg label(double index) {
  return {rix::LABEL, index};
}
inline Arg none() {
  return {rix::ARG_NONE, 0};
}

struct RuntimeRig {
  explicit RuntimeRig(const std::string& name) : rig("rt_" + name) {
    rig.start();
    set_mode(c, kAuto);
    c.mode.program_no = 0;
    c.mode.program_is_rix = 1;
    c.mode.auto_running = 1;
  }

  // Loads hand-built records with general variables VAR_KEY, X, Y, Z (indexes 0..3, unset),
  // position variable P and joint variable J (index 0).
  void load(std::vector<RixInstruction> program) {
    RixImage& im = c.rix;
    im.instructions = std::move(program);
    im.last_index = static_cast<int32_t>(im.instructions.size()) - 1;
    im.vars = {
        {"VAR_KEY", kRixUnset, 0}, {"X", kRixUnset, 0}, {"Y", kRixUnset, 0}, {"Z", kRixUnset, 0}};
    im.pos = {{"P", {kRixUnset, kRixUnset, kRixUnset}, 0}};
    im.jnt = {{"J", {kRixUnset, kRixUnset, kRixUnset}, 0}};
    begin();
  }

  // Compiles "3.1\nheading\n" + body (UTF-8); the test fails when it does not compile.
  void compile(std::string_view utf8_body) {
    dir.write("T.RIX", utf8_to_cp932("3.1\nheading\n" + std::string(utf8_body) + "\n"));
    c.rix.source_name = "T.RIX";
    ASSERT_TRUE(rix_compile(c.rix, dir.rix_path(), "T.RIX")) << cp932_to_utf8(c.rix.error_text);
    begin();
  }

  // The start of a run and its first AUTO cycle.
  void begin() {
    for (int32_t& slot : c.rix.gosub_stack) slot = -1;
    c.rix.gosub_depth = 0;
    rix_start(c.rix);
    rix_reset(c.rix);
    c.mode.auto_step = 0;
  }

  bool step() { return rix_step(c); }
  // Steps until the program stops or ends (END/EXIT) or `limit` steps ran; the steps run.
  int run(int limit = 10000) {
    int n = 0;
    while (n < limit && c.mode.auto_step != kFinished) {
      ++n;
      if (!step()) break;
    }
    return n;
  }

  double& value(int index) { return c.rix.vars[static_cast<std::size_t>(index)].value; }
  std::string report() const { return cp932_to_utf8(c.rix.error_text); }

  static constexpr uint8_t kFinished = kRixFinished;
  Rig rig;
  Controller& c = rig.c;
  TempDir dir;
};

}  // namespace rokan::test
