#include "plot/plot_sampler.h"

#include <algorithm>
#include <limits>

#include "core/controller.h"
#include "platform/text.h"
#include "rix/compiler/image.h"

namespace rokan {
namespace {

constexpr const char* kAxis[3] = {"x", "y", "z"};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Joint form of chain-form angles: theta3 is taken relative to theta2.
double joint_form(const double (&chain)[3], int j) {
  return j == 2 ? chain[2] - chain[1] : chain[j];
}

// A RIX variable's value as a sample: NaN while it is unset.
double rix_sample(double v) {
  return v == kRixUnset ? kNaN : v;
}

// The value of RIX channel `ch` with the variable at `index` of its table (checked by name,
// and looked up by name when it is not there); -1 in `index` when the program has none of
// that name. Compares names only: no allocation.
double rix_value(const RixImage& im, const PlotChannel& ch, int32_t& index) {
  const int a = ch.axis % 3;
  if (ch.quantity == PlotQuantity::kRixVar) {
    const std::vector<RixVar>& t = im.vars;
    if (index < 0 || static_cast<std::size_t>(index) >= t.size() ||
        t[static_cast<std::size_t>(index)].name != ch.variable)
      index = rix_find_var(t, ch.variable);
    return index < 0 ? kNaN : rix_sample(t[static_cast<std::size_t>(index)].value);
  }
  const std::vector<RixVectorVar>& t = ch.quantity == PlotQuantity::kRixPos ? im.pos : im.jnt;
  if (index < 0 || static_cast<std::size_t>(index) >= t.size() ||
      t[static_cast<std::size_t>(index)].name != ch.variable)
    index = rix_find_var(t, ch.variable);
  return index < 0 ? kNaN : rix_sample(t[static_cast<std::size_t>(index)].value[a]);
}

}  // namespace

bool rix_program_running(const Controller& c) {
  return c.mode.auto_running && c.mode.program_is_rix && !c.rix.loaded_name.empty();
}

std::vector<PlotChannel> rix_plot_channels(const Controller& c) {
  std::vector<PlotChannel> out;
  const RixImage& im = c.rix;
  if (im.loaded_name.empty()) return out;
  for (const RixVar& v : im.vars) out.push_back({PlotQuantity::kRixVar, 0, 0, v.name});
  for (const RixVectorVar& v : im.pos)
    for (uint8_t a = 0; a < 3; ++a) out.push_back({PlotQuantity::kRixPos, 0, a, v.name});
  for (const RixVectorVar& v : im.jnt)
    for (uint8_t a = 0; a < 3; ++a) out.push_back({PlotQuantity::kRixJnt, 0, a, v.name});
  return out;
}

std::vector<PlotChannel> all_plot_channels() {
  std::vector<PlotChannel> out;
  const PlotQuantity per_leg[] = {PlotQuantity::kFootActual, PlotQuantity::kFootGoal,
                                  PlotQuantity::kPosError,   PlotQuantity::kJointActual,
                                  PlotQuantity::kJointRef,   PlotQuantity::kOrder};
  for (uint8_t leg = 0; leg < kLegCount; ++leg)
    for (PlotQuantity q : per_leg)
      for (uint8_t a = 0; a < 3; ++a) out.push_back({q, leg, a});
  for (uint8_t a = 0; a < 3; ++a) out.push_back({PlotQuantity::kVr, 0, a});
  for (uint8_t leg = 0; leg < kLegCount; ++leg) out.push_back({PlotQuantity::kPaw, leg, 0});
  out.push_back({PlotQuantity::kAntenna, 0, 0});
  return out;
}

std::string plot_channel_name(const PlotChannel& ch) {
  const int leg = ch.leg + 1;
  const int joint = ch.axis + 1;
  switch (ch.quantity) {
    case PlotQuantity::kFootActual:
      return format("F%d foot %s", leg, kAxis[ch.axis % 3]);
    case PlotQuantity::kFootGoal:
      return format("F%d goal %s", leg, kAxis[ch.axis % 3]);
    case PlotQuantity::kPosError:
      return format("F%d error %s", leg, kAxis[ch.axis % 3]);
    case PlotQuantity::kJointActual:
      return format("F%d angle %d", leg, joint);
    case PlotQuantity::kJointRef:
      return format("F%d ref angle %d", leg, joint);
    case PlotQuantity::kOrder:
      return format("F%d order %d", leg, joint);
    case PlotQuantity::kVr:
      return format("VR%d", joint);
    case PlotQuantity::kPaw:
      return format("PAW%d", leg);
    case PlotQuantity::kAntenna:
      return "ANTENNA";
    case PlotQuantity::kRixVar:
      return cp932_to_utf8(ch.variable);
    case PlotQuantity::kRixPos:
      return cp932_to_utf8(ch.variable) + format(".%c", "XYZ"[ch.axis % 3]);
    case PlotQuantity::kRixJnt:
      return cp932_to_utf8(ch.variable) + format(".J%d", joint);
  }
  return "?";
}

const char* plot_channel_unit(const PlotChannel& ch) {
  switch (ch.quantity) {
    case PlotQuantity::kFootActual:
    case PlotQuantity::kFootGoal:
    case PlotQuantity::kPosError:
    case PlotQuantity::kRixPos:
      return "mm";
    case PlotQuantity::kJointActual:
    case PlotQuantity::kJointRef:
    case PlotQuantity::kRixJnt:
      return "deg";
    case PlotQuantity::kRixVar:
      return "";
    default:
      return "V";
  }
}

double plot_channel_value(const Controller& c, const PlotChannel& ch) {
  const int leg = ch.leg & 3;
  const int a = ch.axis % 3;
  const LegServo& sv = c.servo[leg];
  switch (ch.quantity) {
    case PlotQuantity::kFootActual:
      return c.state.point[leg][kFoot][a];
    case PlotQuantity::kFootGoal:
      return sv.goal[a];
    case PlotQuantity::kPosError:
      return sv.goal[a] - c.state.point[leg][kFoot][a];
    case PlotQuantity::kJointActual:
      return rad_to_deg(c.state.joint_angle[leg][a]);
    case PlotQuantity::kJointRef:
      return rad_to_deg(joint_form(sv.reference, a));
    case PlotQuantity::kOrder:
      return sv.order[a];
    case PlotQuantity::kVr:
      return c.sensor.vr[a];
    case PlotQuantity::kPaw:
      return c.sensor.paw_volt[leg];
    case PlotQuantity::kAntenna:
      return c.sensor.antenna_volt;
    case PlotQuantity::kRixVar:
    case PlotQuantity::kRixPos:
    case PlotQuantity::kRixJnt: {
      if (!rix_program_running(c)) return kNaN;
      int32_t index = -1;
      return rix_value(c.rix, ch, index);
    }
  }
  return 0;
}

void plot_configure(PlotSampler& s, const std::vector<PlotChannel>& channels, int capacity) {
  s.channel_count = static_cast<int>(std::min<std::size_t>(channels.size(), kMaxPlotChannels));
  std::copy_n(channels.begin(), s.channel_count, s.channels);
  std::fill(std::begin(s.rix_index), std::end(s.rix_index), -1);
  capacity = std::max(capacity, 1);
  if (capacity != s.capacity) {
    s.t = std::make_unique<double[]>(static_cast<std::size_t>(capacity));
    s.v = std::make_unique<double[]>(static_cast<std::size_t>(capacity) * kMaxPlotChannels);
    s.capacity = capacity;
  }
  plot_clear(s);
}

void plot_clear(PlotSampler& s) {
  s.head = 0;
  s.size = 0;
  s.taken = 0;
  s.clock = 0;
  ++s.epoch;
}

void plot_sample(PlotSampler& s, const Controller& c) {
  if (s.capacity == 0) return;
  s.clock += c.params.sampling_time;
  const std::size_t at = static_cast<std::size_t>(s.head);
  s.t[at] = s.clock;
  double* row = &s.v[at * kMaxPlotChannels];
  const bool rix_running = rix_program_running(c);
  for (int i = 0; i < s.channel_count; ++i) {
    const PlotChannel& ch = s.channels[i];
    if (!ch.is_rix()) {
      row[i] = plot_channel_value(c, ch);
    } else {
      row[i] = rix_running ? rix_value(c.rix, ch, s.rix_index[i]) : kNaN;
    }
  }
  s.head = s.head + 1 == s.capacity ? 0 : s.head + 1;
  if (s.size < s.capacity) ++s.size;
  ++s.taken;
}

}  // namespace rokan
