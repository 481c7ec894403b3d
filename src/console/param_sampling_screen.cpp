// The sampling screen: sampling period, size of the log area, logging interval, over-run check,
// and the log area's forced write and reset.
#include <cmath>
#include <limits>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/param_screens.h"
#include "core/controller.h"
#include "core/logger.h"
#include "platform/host.h"
#include "platform/text.h"

namespace rokan {
namespace {

// A positive entry as a whole count; false when it truncates to 0 or does not fit 32 bits
// (MAX_BUF and SAMPLING_SKIP of 0 would stop logging and make rokan.ini unreadable).
bool whole_count(double v, int32_t& out) {
  if (!(v >= 1) || v >= std::numeric_limits<int32_t>::max() + 1.0) return false;
  out = static_cast<int32_t>(v);
  return true;
}

void draw(Controller& c) {
  const Params& p = c.params;
  menu_heading(c, "<Parameter : Sampling>");
  menu_blank(c);
  menu_line(c, format(SJ("1: サンプリングタイム(%lfmsec)").c_str(), p.sampling_time * 1000));
  // The size of the area as allocated: rokan.ini may name another until it is allocated again.
  const long size = c.logger.area ? c.logger.capacity : p.max_buf;
  menu_line(c, format(SJ("2: サンプリング数(%lddata) : %s").c_str(), size,
                      c.logger.area ? SJ("確保済み").c_str() : SJ("未確保").c_str()));
  menu_line(c, format(SJ("3: サンプリング間隔(%dcycle毎)").c_str(), p.sampling_skip));
  menu_line_at(
      c, 7,
      format(SJ("→ %lf × %ld × %d = %lf[sec]のサンプリングが可能").c_str(), p.sampling_time, size,
             p.sampling_skip, p.sampling_time * static_cast<double>(size) * p.sampling_skip));
  menu_line(c, format("4: Watch_Dog Check(%s)", p.over_run_enable ? "Enable" : "Disable"));
  menu_blank(c);
  menu_line(c, SJ("W : ログファイルの強制書き出し & 初期化"));
  menu_line(c, format(SJ("C : ログ記録領域の初期化(カウンター(%ld -> 0)リセット)").c_str(),
                      static_cast<long>(c.logger.count)));
  menu_footer(c);
}

void reset_log(Controller& c) {
  c.logger.count = 0;
  c.logger.state = kLogOff;
}

}  // namespace

void param_sampling_screen(Controller& c) {
  Params& p = c.params;
  for (;;) {
    draw(c);
    double v;
    int32_t n;
    switch (menu_key(c)) {
      case 'Q':
        return;
      case '1':
        if (ask_value(c, v) && v > 0 && v < std::numeric_limits<int>::max()) {
          p.sampling_time = v * 0.001;
          c.host.set_timer_interval(static_cast<int>(v));
        }
        break;
      case '2':
        if (ask_value(c, v)) {
          if (whole_count(v, n)) p.max_buf = n;
          // Stops logging and empties the area, also when unchanged; what it held is written
          // first.
          reallocate_log_area(c);
        }
        break;
      case '3':
        if (ask_value(c, v) && whole_count(v, n)) {
          p.sampling_skip = n;
          c.logger.skip_counter = n;
        }
        break;
      case '4':
        p.over_run_enable = !p.over_run_enable;
        break;
      case 'W':
        // A failed write keeps the records and says why: the operator can mend the directory
        // and press W again.
        if (write_log_file(c)) {
          reset_log(c);
          // A size that rokan.ini changed while records were waiting takes effect now.
          if (c.logger.capacity != p.max_buf) allocate_log_area(c);
        }
        break;
      case 'C':
        reset_log(c);
        break;
      default:
        break;
    }
  }
}

}  // namespace rokan
