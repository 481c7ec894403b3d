// Input, output and housekeeping commands: analogue input, key input, SLEEP, messages, the
// logger and EMG-enable switches, and the commands this controller has no hardware for
// (lamps, silent mode, special functions), which stop the program with their error.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "core/controller.h"
#include "core/logger.h"
#include "motion/motion.h"
#include "platform/text.h"
#include "rix/compiler/diagnostics.h"
#include "rix/runtime/exec.h"
#include "rix/runtime/runtime.h"

namespace rokan::rixrt {
namespace {

constexpr std::size_t kMessageCopyMax = 1023;  // bytes of the message text that are expanded
constexpr std::size_t kExpandedMax = 1024;     // bytes of the expanded text
constexpr int kAdChannels = 16;

bool require_io_form(Exec& x, int none_from) {
  return require_no_target(x) && require_none(x, none_from, 2);
}

// A fixed output buffer: MESSAGE expands into it on the stack, without allocating.
struct TextBuffer {
  char data[kExpandedMax + 1];
  std::size_t size = 0;

  // Appends as much of `text` as fits, never splitting a double-byte character.
  void append(std::string_view text) {
    const std::size_t room = kExpandedMax - size;
    const std::size_t n = text.size() <= room ? text.size() : sjis_cut(text, room);
    std::memcpy(data + size, text.data(), n);
    size += n;
  }
  std::string_view view() const { return {data, size}; }
};

// The general variable named `name`, or -1.
int find_general(const RixImage& image, std::string_view name) {
  for (std::size_t i = 0; i < image.vars.size(); ++i)
    if (image.vars[i].name == name) return static_cast<int>(i);
  return -1;
}

// Expands one reference "%NAME%" or "%NAME.d%" (d = 0..8 decimals) whose inner text is `ref`;
// false when it names no general variable.
bool expand_reference(const RixImage& image, std::string_view ref, TextBuffer& out) {
  int decimals = 0;
  int var = find_general(image, ref);
  if (var < 0 && ref.size() >= 2 && ref[ref.size() - 2] == '.' && ref.back() >= '0' &&
      ref.back() <= '8') {
    decimals = ref.back() - '0';
    var = find_general(image, ref.substr(0, ref.size() - 2));
  }
  if (var < 0) return false;
  const double v = image.vars[static_cast<std::size_t>(var)].value;
  if (v == kRixUnset) {
    out.append("NAN");
    return true;
  }
  char number[512];  // the widest double with 8 decimals needs about 320 bytes
  const int n = std::snprintf(number, sizeof number, "%.*f", decimals, v);
  out.append(std::string_view(number, n < 0 ? 0 : static_cast<std::size_t>(n)));
  return true;
}

// The message text with its variable references replaced by their values. An unknown name or
// a reference without its closing '%' leaves a single '%', and scanning goes on after it.
void expand_message(const RixImage& image, std::string_view text, TextBuffer& out) {
  std::size_t i = 0;
  while (i < text.size() && out.size < kExpandedMax) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (is_sjis_lead(b) && i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      i += 2;
      continue;
    }
    if (b != '%') {
      out.append(text.substr(i, 1));
      ++i;
      continue;
    }
    // '%' is never the second byte of a double-byte character, so a plain search finds the
    // closing one.
    const std::size_t close = text.find('%', i + 1);
    if (close != std::string_view::npos &&
        expand_reference(image, text.substr(i + 1, close - i - 1), out)) {
      i = close + 1;
    } else {
      out.append("%");
      ++i;
    }
  }
}

// Argument checks of SILENT_* and LAMP_*, which have nothing to act on here.
bool require_none_all(Exec& x) {
  return require_no_target(x) && require_none(x, 0, 2);
}

}  // namespace

void h_ad_in(Exec& x) {
  const RixInstruction& ins = x.ins;
  const Sensor& s = x.c.sensor;
  if (ins.arg_type[2] != rix::VAR) {
    fail(x, RixError::kArgument);
    return;
  }
  double value = 0;
  int leg = 0, joint = 0;
  const uint8_t t = ins.target;
  if (is_none(ins, 0) && is_none(ins, 1)) {
    if (t >= rix::TARGET_VR1 && t < rix::TARGET_VR1 + 3) {
      value = s.vr[t - rix::TARGET_VR1];
    } else if (t >= rix::TARGET_PAW1 && t < rix::TARGET_PAW1 + 4) {
      value = s.paw_volt[t - rix::TARGET_PAW1];
    } else if (t == rix::TARGET_ANTENNA) {
      value = s.antenna_volt;
    } else if (joint_of_target(t, leg, joint)) {
      value = s.pt_volt[leg][joint];
    } else {
      fail(x, RixError::kUndefinedTarget);
      return;
    }
  } else if (ins.arg_type[0] == rix::CONSTANT && ins.arg_type[1] == rix::CONSTANT &&
             t == rix::NO_TARGET) {
    // Board 0, channels 0..15; channel 16 would be one past the converter's inputs.
    const double board = ins.arg_value[0], channel = ins.arg_value[1];
    if (board != 0 || !(channel >= 0 && channel < kAdChannels) || channel != std::floor(channel)) {
      fail(x, RixError::kArgument);
      return;
    }
    value = s.ad[static_cast<int>(channel)];
  } else {
    fail(x, RixError::kArgument);
    return;
  }
  write_scalar(x, rix::VAR, ins.arg_value[2], value);
}

void h_key_in(Exec& x) {
  Controller& c = x.c;
  if (!require_io_form(x, 1)) return;
  if (x.ins.arg_type[0] != rix::VAR) {
    fail(x, RixError::kArgument);
    return;
  }
  if (!c.mode.key_wait_active) {
    key_wait_begin(c);  // also empties the captured-key slot
    return;
  }
  if (c.mode.captured_key == 0) return;
  int key = c.mode.captured_key;
  c.mode.captured_key = 0;
  if (key >= 'a' && key <= 'z') key -= 'a' - 'A';
  if (!write_scalar(x, rix::VAR, x.ins.arg_value[0], key)) return;
  key_wait_end(c);
  ++x.image.pc;
}

void h_sleep(Exec& x) {
  RixImage& im = x.image;
  if (x.first) {
    double t = 0;
    if (!require_io_form(x, 1) || !read_constant_or_var(x, 0, t)) return;
    if (t < 0 || !std::isfinite(t)) {
      fail(x, RixError::kDomain);
      return;
    }
    // A whole number of cycles; the small allowance keeps 0.3 s at 0.1 s from becoming 2
    // cycles through the rounding of the division.
    const double ticks = std::floor(t / x.c.params.sampling_time + 1e-9);
    im.sleep_ticks = ticks >= INT_MAX ? INT_MAX : static_cast<int32_t>(ticks);
    im.sleep_counter = 1;
    return;
  }
  ++im.sleep_counter;
  if (im.sleep_counter < im.sleep_ticks) return;
  im.sleep_counter = 0;
  ++im.pc;
}

void h_message(Exec& x) {
  RixImage& im = x.image;
  const double slot = x.ins.arg_value[0];
  if (!require_io_form(x, 1)) return;
  if (x.ins.arg_type[0] != rix::STRING || !(slot >= 0) ||
      slot >= static_cast<double>(im.messages.size())) {
    fail(x, RixError::kArgument);
    return;
  }
  const RixMessage& m = im.messages[static_cast<std::size_t>(slot)];
  std::string_view text(m.data(), strnlen(m.data(), m.size()));
  if (text.size() > kMessageCopyMax) text = text.substr(0, sjis_cut(text, kMessageCopyMax));
  TextBuffer out;
  expand_message(im, text, out);
  msg_set_status_line(x.c, out.view());
}

void h_message_clear(Exec& x) {
  if (!require_io_form(x, 0)) return;
  msg_set_status_line(x.c, {});
}

void h_silent(Exec& x) {
  if (require_none_all(x)) fail(x, RixError::kNotImplemented);
}

void h_lamp(Exec& x) {
  double lamp = 0;
  if (!require_io_form(x, 1) || !read_constant_or_var(x, 0, lamp)) return;
  fail(x, RixError::kDomain);  // this controller has no program lamps
}

void h_log(Exec& x) {
  switch (x.ins.command) {
    case rix::LOG_START:
      x.c.logger.state = kLogContinuous;
      break;
    case rix::LOG_STOP:
      x.c.logger.state = kLogOff;
      break;
    default:
      x.c.logger.state = kLogOneShot;
      break;
  }
}

void h_emg_switch(Exec& x) {
  x.c.mode.emg_enable = x.ins.command == rix::EMG_ON ? 1 : 0;
}

void h_special(Exec& x) {
  const RixInstruction& ins = x.ins;
  const double n = ins.arg_value[0];
  if (ins.arg_type[0] != rix::CONSTANT || !(n >= 0 && n < 256)) {
    fail(x, RixError::kArgument);
    return;
  }
  for (int slot = 1; slot <= 2; ++slot) {
    const uint8_t kind = ins.arg_type[slot];
    if (kind != rix::CONSTANT && kind != rix::VAR && !is_none(ins, slot)) {
      fail(x, RixError::kArgument);
      return;
    }
  }
  fail(x, RixError::kNotImplemented);  // no special function is defined in this controller
}

void h_nothing(Exec&) {}

}  // namespace rokan::rixrt

namespace rokan {

std::string rix_expand_message(const RixImage& image, std::string_view text) {
  using namespace rixrt;
  if (text.size() > kMessageCopyMax) text = text.substr(0, sjis_cut(text, kMessageCopyMax));
  TextBuffer out;
  expand_message(image, text, out);
  return std::string(out.view());
}

}  // namespace rokan
