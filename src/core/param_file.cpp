// rokan.ini: one "LABEL<blank>VALUE" line per parameter after a version line. The reader stops
// at the first bad line and keeps what it read before it; it never resets to defaults.
#include "core/param_file.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "console/console.h"
#include "core/controller.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr std::size_t kLineMax = 1022;  // bytes read per line; the rest of a longer line follows

bool is_blank(char ch) {
  return ch == ' ' || ch == '\t';
}

// Floating-point conversion that fails on a range error, and on "inf" or "nan", which strtod
// accepts but no parameter can hold.
bool to_double(const std::string& value, double& out) {
  errno = 0;
  double v = std::strtod(value.c_str(), nullptr);
  if (errno == ERANGE || !std::isfinite(v)) return false;
  out = v;
  return true;
}

long to_long(const std::string& value) {
  errno = 0;
  long v = std::strtol(value.c_str(), nullptr, 10);
  return errno == ERANGE ? 0 : v;
}

enum class Index { kLeg, kLegJoint };

// A parameter with one value per leg or per joint: the label is the key followed by the leg digit
// and, per joint, the joint digit. `slot` is where the value of leg and joint (0-based; joint is 0
// for a per-leg key) lives; `degrees` marks a value kept in radians and written in degrees;
// `positive` one that must be above zero.
struct IndexedKey {
  const char* prefix;
  Index index;
  bool degrees;
  bool positive;
  double& (*slot)(Params& p, int leg, int joint);
};

// In file order. The reader takes the longest key the label begins with, so "ANGLE_ERR_NEAR11" is
// not read as a bad "ANGLE_ERR" label.
constexpr IndexedKey kIndexedKeys[] = {
    {"MAX_VOLT", Index::kLegJoint, false, false,
     [](Params& p, int l, int j) -> double& { return p.max_volt[l][j]; }},
    {"KM", Index::kLegJoint, false, false,
     [](Params& p, int l, int j) -> double& { return p.km[l][j]; }},
    {"ANGLE_ERR", Index::kLegJoint, true, false,
     [](Params& p, int l, int j) -> double& { return p.file.b2.angle_err[l][j]; }},
    {"POSITION_ERR", Index::kLeg, false, false,
     [](Params& p, int l, int) -> double& { return p.file.b2.position_err[l]; }},
    {"TORQUE_ERR", Index::kLegJoint, false, false,
     [](Params& p, int l, int j) -> double& { return p.file.b2.torque_err[l][j]; }},
    {"ANGLE_ERR_NEAR", Index::kLegJoint, true, false,
     [](Params& p, int l, int j) -> double& { return p.file.b2.angle_err_near[l][j]; }},
    {"POSITION_ERR_NEAR", Index::kLeg, false, false,
     [](Params& p, int l, int) -> double& { return p.file.b2.position_err_near[l]; }},
    {"TORQUE_ERR_NEAR", Index::kLegJoint, false, false,
     [](Params& p, int l, int j) -> double& { return p.file.b2.torque_err_near[l][j]; }},
    {"OMEGA_DOT_MAX", Index::kLegJoint, true, false,
     [](Params& p, int l, int j) -> double& { return p.file.b1.omega_dot_max[l][j]; }},
    {"OMEGA_MAX", Index::kLegJoint, true, false,
     [](Params& p, int l, int j) -> double& { return p.file.b1.omega_max[l][j]; }},
    // The servo divides by the speed and acceleration limits of a leg: zero or less would fill
    // the simulated robot with inf/NaN.
    {"A_MAX", Index::kLeg, false, true,
     [](Params& p, int l, int) -> double& { return p.file.b1.a_max[l]; }},
    {"V_MAX", Index::kLeg, false, true,
     [](Params& p, int l, int) -> double& { return p.file.b1.v_max[l]; }},
    {"KP", Index::kLeg, false, false, [](Params& p, int l, int) -> double& { return p.kp[l]; }},
    {"KS", Index::kLegJoint, false, false,
     [](Params& p, int l, int j) -> double& { return p.ks[l][j]; }},
};

// The indexed key `label` begins with (the longest one), or nullptr.
const IndexedKey* indexed_key(const std::string& label) {
  const IndexedKey* found = nullptr;
  for (const IndexedKey& key : kIndexedKeys) {
    std::size_t n = std::strlen(key.prefix);
    if (label.compare(0, n, key.prefix) != 0) continue;
    if (!found || n > std::strlen(found->prefix)) found = &key;
  }
  return found;
}

// Applies one label/value pair; false on an undefined label or an invalid value.
bool apply(Params& p, const std::string& label, const std::string& value) {
  if (label.rfind("REM", 0) == 0) return true;
  if (const IndexedKey* key = indexed_key(label)) {
    std::size_t n = std::strlen(key->prefix);
    char leg_digit = label.size() > n ? label[n] : '\0';
    char joint_digit = label.size() > n + 1 ? label[n + 1] : '\0';
    if (leg_digit < '1' || leg_digit > '4') return false;
    int joint = 0;
    if (key->index == Index::kLegJoint) {
      if (joint_digit < '1' || joint_digit > '3') return false;
      joint = joint_digit - '1';
    }
    double v;
    if (!to_double(value, v)) return false;
    if (key->positive && !(v > 0)) return false;
    key->slot(p, leg_digit - '1', joint) = key->degrees ? v * kDegToRad : v;
    return true;
  }
  if (label == "PT_LIMIT") {
    long v = to_long(value);
    // A value beyond the 16-bit field would wrap into a different limit: refuse it.
    if (v == 0 || v < SHRT_MIN || v > SHRT_MAX) return false;
    p.pt_limit = static_cast<int16_t>(v);
    return true;
  }
  if (label == "MAX_BUF" || label == "SAMPLING_SKIP") {
    long v = to_long(value);
    // A count below one cannot size the log area or pace the recording.
    if (v < 1 || v > INT_MAX) return false;
    (label == "MAX_BUF" ? p.max_buf : p.sampling_skip) = static_cast<int32_t>(v);
    return true;
  }
  if (label == "SAMPLING_TIME") {
    double v;
    // The state update divides by the sampling time; zero or less would fill it with inf/NaN.
    // The timer runs in whole milliseconds held in an int.
    if (!to_double(value, v) || !(v > 0) || !(v * 1000 < INT_MAX)) return false;
    p.sampling_time = v;
    return true;
  }
  if (label == "OVER_RUN_ENABLE") {
    p.over_run_enable = to_long(value) != 0;
    return true;
  }
  for (int i = 0; i < kJointLimitCount; ++i) {
    if (label != kJointLimitNames[i]) continue;
    double v;
    if (!to_double(value, v)) return false;
    p.joint_limit[i] = deg_to_rad(v);
    return true;
  }
  if (label == "DEFAULT_PATH_RIX") {
    p.rix_dir = value;
    p.rix_path = p.user_dir + p.rix_dir;
    return true;
  }
  if (label == "DEFAULT_PATH_LOG") {
    p.log_dir = value;
    return true;
  }
  if (label == "DEFAULT_PATH_INI") {
    p.ini_dir = value;
    return true;
  }
  return false;
}

// Splits a line into label and value; false when no blank follows the label. `at_end` tells
// whether the value runs to the end of the line.
bool split(const std::string& line, std::string& label, std::string& value, bool& at_end) {
  std::size_t i = 0;
  while (i < line.size() && is_blank(line[i])) ++i;
  std::size_t start = i;
  while (i < line.size() && !is_blank(line[i])) ++i;
  if (i >= line.size()) return false;
  label = line.substr(start, i - start);
  while (i < line.size() && is_blank(line[i])) ++i;
  start = i;
  while (i < line.size() && !is_blank(line[i])) ++i;
  value = line.substr(start, i - start);
  at_end = i >= line.size();
  return true;
}

}  // namespace

void read_param_file(Controller& c) {
  Params& p = c.params;
  // A directory of that name opens on some systems but holds no parameters.
  const std::string path = param_file_path(p);
  File f = is_directory(c.workspace, path) ? File() : File::open(c.workspace, path, "r");
  if (!f) {
    reader_message(
        c, SJ("ROKAN.INIがオープンできません(Read/Text)") + "\n    " + param_file_path(p) + "\n");
    wait_key(c);
    return;
  }
  std::string line;
  LineReader reader(f);
  double version = 0;
  bool have_version =
      reader.next(line, kLineMax) && std::sscanf(line.c_str(), "%*s %lf", &version) == 1;
  // The version matches when it agrees to the hundredths; the comparison is written so that a
  // huge or non-numeric version fails it instead of going through an out-of-range conversion.
  if (!have_version || !(std::fabs((version - static_cast<double>(kArdoVersion)) * 100) < 1)) {
    reader_message(c, SJ("初期設定ファイルのバージョンが違います．\n"));
    f.reset();
    wait_key(c);
    return;
  }
  std::string label, value;
  bool value_at_end = false;
  while (reader.next(line, kLineMax)) {
    if (!split(line, label, value, value_at_end)) {
      reader_message(c, SJ("初期設定ファイルの書式に誤りがあります．\n") + "[" + line + "]\n");
      f.reset();
      wait_key(c);
      return;
    }
    if (!apply(p, label, value)) {
      // A value that runs to the end of its line is shown with the line end the file has there.
      const std::string_view value_end = value_at_end ? reader.line_end() : "";
      reader_message(c, SJ("[Err] 未定義のラベル，あるいは値が不正です．\n") + "    " + label +
                            " = " + value + std::string(value_end) + "\n\a\a\a");
      wait_key(c);
      break;
    }
  }
}

namespace {

// The writer's message, with the system's reason, at the write cursor; then a key.
bool write_failed(Controller& c, int err) {
  text_write(c, format(SJ("\n\r%sがオープンできません(Write/Text)").c_str(), "rokan.ini") + " " +
                    std::strerror(err) + "\n\r");
  wait_key(c);
  return false;
}

}  // namespace

bool write_param_file(Controller& c) {
  const Params& p = c.params;
  // The old file stays whole until the new one is complete.
  ReplacingFile f(c.workspace, param_file_path(p));
  if (!f) return write_failed(c, errno);
  std::fprintf(f, "ARDO_VERSION\t%.2f\n", static_cast<double>(kArdoVersion));
  for (const IndexedKey& key : kIndexedKeys) {
    const double scale = key.degrees ? kRadToDeg : 1;
    for (int leg = 0; leg < kLegCount; ++leg) {
      if (key.index == Index::kLeg) {
        std::fprintf(f, "%s%1d\t%lf\n", key.prefix, leg + 1, key.slot(c.params, leg, 0) * scale);
        continue;
      }
      for (int j = 0; j < 3; ++j) {
        std::fprintf(f, "%s%1d%1d\t%lf\n", key.prefix, leg + 1, j + 1,
                     key.slot(c.params, leg, j) * scale);
      }
    }
  }
  std::fprintf(f, "PT_LIMIT\t%d\n", p.pt_limit);
  std::fprintf(f, "SAMPLING_TIME\t%lf\n", p.sampling_time);
  std::fprintf(f, "MAX_BUF\t%ld\n", static_cast<long>(p.max_buf));
  std::fprintf(f, "SAMPLING_SKIP\t%d\n", p.sampling_skip);
  std::fprintf(f, "OVER_RUN_ENABLE\t%d\n", p.over_run_enable ? 1 : 0);
  for (int i = 0; i < kJointLimitCount; ++i)
    std::fprintf(f, "%s\t%lf\n", kJointLimitNames[i], rad_to_deg(p.joint_limit[i]));
  std::fprintf(f, "DEFAULT_PATH_RIX\t%s\n", p.rix_dir.c_str());
  std::fprintf(f, "DEFAULT_PATH_LOG\t%s\n", p.log_dir.c_str());
  std::fprintf(f, "DEFAULT_PATH_INI\t%s\n", p.ini_dir.c_str());
  if (!f.commit()) return write_failed(c, errno);
  return true;
}

}  // namespace rokan
