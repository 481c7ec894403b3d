#include "console/origin_file.h"

#include <cmath>
#include <cstdio>

#include "core/controller.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr std::size_t kLineMax = 255;  // bytes of a line that are parsed
constexpr double kOriginMaxVolts = 10.0;

bool parse_leg(const std::string& line, double out[3]) {
  if (std::sscanf(line.c_str(), "%lf %lf %lf", &out[0], &out[1], &out[2]) != 3) return false;
  for (int j = 0; j < 3; ++j)
    if (!(std::fabs(out[j]) <= kOriginMaxVolts)) return false;  // also refuses NaN
  return true;
}

}  // namespace

std::string origin_file_path(const Params& p) {
  return p.user_dir + p.ini_dir + "rkn_org.ini";
}

bool read_origin_file(Controller& c) {
  File f = File::open(c.workspace, origin_file_path(c.params), "rt");
  if (!f) return false;
  double origin[kLegCount][kJointsPerLeg];
  bool valid = true;
  std::string line;
  LineReader reader(f);
  for (auto& leg : origin) {
    // Every line is read even after a bad one, as the file is judged as a whole.
    // A longer line comes in pieces of kLineMax bytes, each taken as a line.
    if (!reader.next(line, kLineMax) || !parse_leg(line, leg)) valid = false;
  }
  f.reset();
  if (!valid) return false;
  for (int leg = 0; leg < kLegCount; ++leg)
    for (int j = 0; j < 3; ++j) c.sensor.origin[leg][j] = origin[leg][j];
  return true;
}

bool write_origin_file(const Controller& c) {
  // The old file stays whole until the new one is complete.
  ReplacingFile f(c.workspace, origin_file_path(c.params));
  if (!f) return false;
  for (const auto& leg : c.sensor.origin) {
    for (double v : leg) std::fprintf(f, "%lf\t", v);
    std::fputc('\n', f);
  }
  return f.commit();
}

}  // namespace rokan
