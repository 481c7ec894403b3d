// The seam between the RIX interpreter and a tool that watches it (the RIX debugger in
// src/debug). The controller holds a pointer to one watch, null when none is attached; rix_step
// then pays one null test per call. The watch is a plain record of callbacks so that the
// interpreter never includes the tool: dependencies point from the tool to the runtime only.
//
// Holding the program means only that rix_step returns without executing anything, as under the
// operator's own pause: the sampling cycle, the servo, the safety monitor and the keys go on.
#pragma once

#include <cstdint>

namespace rokan {

struct Controller;

struct RixWatch {
  void* context = nullptr;  // the tool's own record, handed back to every callback
  // Before the instruction at image.pc executes: true holds the program for this cycle.
  bool (*before)(void* context, Controller& c) = nullptr;
  // After instruction `index` executed (also when it failed or switched the operating mode).
  void (*after)(void* context, Controller& c, int32_t index) = nullptr;
  // The run failed at instruction `index` (image.error_code and error_text are set): true holds
  // the failed program so that it can be inspected; the failure then ends the run in the first
  // call of rix_step after `before` lets the program go.
  bool (*failed)(void* context, Controller& c, int32_t index) = nullptr;
  // The run (RixImage::run_count) the watch holds, 0 when it holds none; the AUTO mode line
  // shows it.
  uint32_t held_run = 0;
};

}  // namespace rokan
