// Live plot sampling: the values of a few chosen channels, taken once per sampling cycle into a
// fixed-size ring. The ring is sized when the channel choice or the time window changes (from the
// GUI, outside the cycle); plot_sample only copies numbers, so it never allocates and costs a
// few nanoseconds per channel. The plot window reads the ring at drawing time.
//
// A RIX variable is chosen by its name, as the program declares it, and read from the program
// image while a RIX program runs; samples taken while none runs, or while the variable is still
// unset, are NaN (a gap in the curve). The sampler keeps where each name stands in the image's
// tables and looks it up again only when another program's tables are there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rokan {

struct Controller;

// What a channel measures. Per-leg quantities take a leg (0..3) and an axis or joint (0..2);
// VR takes its index (0..2) in `axis`, a paw its leg.
enum class PlotQuantity : uint8_t {
  kFootActual,   // foot position, mm
  kFootGoal,     // goal position, mm
  kPosError,     // goal - foot, mm
  kJointActual,  // joint angle, deg
  kJointRef,     // joint angle the servo is driven to, deg
  kOrder,        // voltage order, V
  kVr,           // VR1..VR3, V
  kPaw,          // paw voltage, V
  kAntenna,      // antenna voltage, V
  kRixVar,       // a general variable of the running RIX program
  kRixPos,       // a component of a POS variable (axis 0..2 = X, Y, Z), mm
  kRixJnt,       // a component of a JNT variable (axis 0..2 = J1, J2, J3), deg
};

struct PlotChannel {
  PlotChannel() = default;
  PlotChannel(PlotQuantity q, uint8_t leg_no, uint8_t axis_no, std::string name = {})
      : quantity(q), leg(leg_no), axis(axis_no), variable(std::move(name)) {}

  PlotQuantity quantity = PlotQuantity::kFootActual;
  uint8_t leg = 0;
  uint8_t axis = 0;
  std::string variable;  // RIX channels: the variable's name (CP932), as declared
  bool operator==(const PlotChannel&) const = default;
  bool is_rix() const { return quantity >= PlotQuantity::kRixVar; }
};

// Every channel of the robot the plot window offers, in tree order (legs first, then inputs).
std::vector<PlotChannel> all_plot_channels();
// The channels of the RIX program the image holds: each general variable, then each component
// of each POS and JNT variable, in declaration order. Empty when no program is loaded.
std::vector<PlotChannel> rix_plot_channels(const Controller& c);
// True while a RIX program runs, when RIX channels take values.
bool rix_program_running(const Controller& c);
// "F1 foot z", "VR2", "F3 order 1", "P.X": the channel's name in the tree and the legend
// (UTF-8).
std::string plot_channel_name(const PlotChannel& ch);
// Unit text of a channel ("mm", "deg", "V").
const char* plot_channel_unit(const PlotChannel& ch);
// The channel's present value in the controller's records (NaN for a RIX channel with no value).
double plot_channel_value(const Controller& c, const PlotChannel& ch);

inline constexpr int kMaxPlotChannels = 16;

struct PlotSampler {
  PlotChannel channels[kMaxPlotChannels]{};
  int channel_count = 0;
  int capacity = 0;             // samples the ring holds
  std::unique_ptr<double[]> t;  // s since start-up, `capacity` entries
  std::unique_ptr<double[]> v;  // capacity x kMaxPlotChannels values, sample-major
  int head = 0;                 // where the next sample goes
  int size = 0;                 // samples held, <= capacity
  uint64_t taken = 0;           // samples taken since the last reset
  uint32_t epoch = 0;           // counts the resets, so a reader knows its copy is stale
  double clock = 0;             // s of sampling time since the last reset
  // RIX channels: where the variable stood in its table when last read, -1 not yet found.
  int32_t rix_index[kMaxPlotChannels]{};
};

// Chooses the channels (at most kMaxPlotChannels are kept) and sizes the ring for `capacity`
// samples; the held samples are dropped. Called outside the sampling cycle.
void plot_configure(PlotSampler& s, const std::vector<PlotChannel>& channels, int capacity);
void plot_clear(PlotSampler& s);
// Advances the sampler's clock by one sampling time and takes one sample of every chosen
// channel. No allocation.
void plot_sample(PlotSampler& s, const Controller& c);

// Sample i, counted from the oldest held (0 .. size-1).
inline int plot_index(const PlotSampler& s, int i) {
  int k = s.head - s.size + i;
  return k < 0 ? k + s.capacity : k;
}
inline double plot_time(const PlotSampler& s, int i) {
  return s.t[static_cast<std::size_t>(plot_index(s, i))];
}
inline double plot_value(const PlotSampler& s, int i, int channel) {
  return s.v[static_cast<std::size_t>(plot_index(s, i)) * kMaxPlotChannels +
             static_cast<std::size_t>(channel)];
}

}  // namespace rokan
