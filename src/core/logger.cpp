#include "core/logger.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "console/console.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "core/modes.h"
#include "core/sensors.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "platform/stop_signals.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Truncates toward zero and keeps the low 16 bits, as the converter field stores a count.
uint16_t to_u16(double v) {
  if (!(v > -2147483648.0)) v = -2147483648.0;  // also catches NaN
  if (v > 2147483647.0) v = 2147483647.0;
  return static_cast<uint16_t>(static_cast<int32_t>(v));
}

// The converter count this cycle's sensor read saw, recovered from its voltage. The live count
// has moved on by the time the logger runs (the plant advanced it in the servo step), and a row
// must show the angles the cycle worked with. The small bias keeps a whole count whole after
// the round trip through the voltage.
uint16_t read_count(double pt_volt) {
  return to_u16(volts_to_counts(pt_volt) + 1e-7);
}

// Step of the running AUTO program as the log shows it: the program counter of a RIX program,
// the step counter of a built-in one.
int32_t auto_log_step(const Controller& c) {
  return c.mode.program_is_rix ? c.rix.pc : c.mode.auto_step;
}

int32_t mode_field(const Controller& c, bool& ok) {
  ok = true;
  switch (c.mode.mode) {
    case kManual:
      return -2;
    case kOrigin:
      return -3;
    case kEmg:
      return -4;
    case kAuto:
      return c.mode.auto_running ? auto_log_step(c) : -1;
    default:
      ok = false;
      return 0;
  }
}

// First free "%s%sRKN%04d.LOG" name, or empty when all 10000 exist.
std::string next_log_name(const Controller& c) {
  for (int n = 0; n <= 9999; ++n) {
    std::string name =
        format("%s%sRKN%04d.LOG", c.params.user_dir.c_str(), c.params.log_dir.c_str(), n);
    if (!path_exists(c.workspace, name)) return name;
  }
  return {};
}

void write_header(std::FILE* f) {
  std::fputs(SJ("No.\t時間\t").c_str(), f);
  std::fputs(SJ("θ11\tθ12\tθ13\tθ21\tθ22\tθ23\tθ31\tθ32\tθ33\tθ41\tθ42\tθ43\t").c_str(), f);
  std::fputs("F1_x\tF1_y\tF1_z\tF2_x\tF2_y\tF2_z\tF3_x\tF3_y\tF3_z\tF4_x\tF4_y\tF4_z\t", f);
  std::fputs(SJ("出力11\t出力12\t出力13\t出力21\t出力22\t出力23\t出力31\t出力32\t出力33\t出力41\t"
                "出力42\t出力43\t")
                 .c_str(),
             f);
  std::fputs("F1_vx\tF1_vy\tF1_vz\tF2_vx\tF2_vy\tF2_vz\tF3_vx\tF3_vy\tF3_vz\tF4_vx\tF4_vy\tF4_vz\t",
             f);
  std::fputs("F1_ax\tF1_ay\tF1_az\tF2_ax\tF2_ay\tF2_az\tF3_ax\tF3_ay\tF3_az\tF4_ax\tF4_ay\tF4_az\t",
             f);
  std::fputs(SJ("ω11\tω12\tω13\tω21\tω22\tω23\tω31\tω32\tω33\tω41\tω42\tω43\t").c_str(), f);
  std::fputs(SJ("ω_dot11\tω_dot12\tω_dot13\tω_dot21\tω_dot22\tω_dot23\tω_dot31\tω_dot32\t"
                "ω_dot33\tω_dot41\tω_dot42\tω_dot43\t")
                 .c_str(),
             f);
  std::fputs("MODE(-1:AUTO(NotRunning)/-2:MANUAL/-3:ORIGIN/-4:EMG)\t", f);
  std::fputs("PAW1\tPAW2\tPAW3\tPAW4\tANTENNA\n", f);
}

void write_row(std::FILE* f, long r, double interval, const LogRecord& rec, const RobotState& st) {
  std::fprintf(f, "%ld\t%lf\t", r, r * interval);
  for (const auto& leg : st.angle)
    for (double a : leg) std::fprintf(f, "%lf\t", rad_to_deg(a));
  for (const auto& leg : st.point)
    std::fprintf(f, "%lf\t%lf\t%lf\t", leg[kFoot][0], leg[kFoot][1], leg[kFoot][2]);
  for (const auto& leg : rec.order)
    for (uint16_t code : leg) std::fprintf(f, "%lf\t", code_to_volts(code));
  for (const auto& v : st.foot_vel) std::fprintf(f, "%lf\t%lf\t%lf\t", v[0], v[1], v[2]);
  for (const auto& a : st.foot_acc) std::fprintf(f, "%lf\t%lf\t%lf\t", a[0], a[1], a[2]);
  for (const auto& leg : st.omega)
    for (double w : leg) std::fprintf(f, "%lf\t", rad_to_deg(w));
  for (const auto& leg : st.omega_dot)
    for (double w : leg) std::fprintf(f, "%lf\t", rad_to_deg(w));
  std::fprintf(f, "%d\t", rec.mode);
  std::fprintf(f, "%lf\t%lf\t%lf\t%lf\t%lf\n", code_to_volts(rec.paw[0]), code_to_volts(rec.paw[1]),
               code_to_volts(rec.paw[2]), code_to_volts(rec.paw[3]), code_to_volts(rec.antenna));
}

// A log file being written: created exclusively, named for a second stop signal, and removed
// unless keep() is called, so a failed or interrupted write leaves no broken RKNnnnn.LOG behind.
class PartialLog {
 public:
  PartialLog(std::string_view root, const std::string& cp932_name)
      : local_(rooted_path(root, cp932_name)) {
    file = File(std::fopen(local_.c_str(), "wx"));
    created_ = file.get() != nullptr;
    if (created_) set_file_in_progress(local_, local_path(cp932_name));
  }
  ~PartialLog() {
    if (!created_ || kept_) return;
    const int saved = errno;
    file.reset();
    ::unlink(local_.c_str());
    set_file_in_progress("");
    errno = saved;
  }
  PartialLog(const PartialLog&) = delete;
  PartialLog& operator=(const PartialLog&) = delete;
  void keep() {
    kept_ = true;
    set_file_in_progress("");
  }

  File file;

 private:
  std::string local_;
  bool created_ = false;
  bool kept_ = false;
};

// A failed write: the message with the system's reason on the prompt line, on standard error
// and in the report log. The records stay in the area for another try.
bool write_failed(Controller& c, const std::string& name, const char* reason) {
  const std::string text =
      format(SJ("ERROR: ログファイルが開けませんでした(%s).").c_str(), name.c_str()) + " " + reason;
  msg_set_prompt_line(c, text);
  write_stderr(text + "\n");
  append_report_log(c, text);
  c.logger.write_error = text;
  c.logger.write_error_file = name;
  return false;
}

void reset_after_write(Controller& c) {
  LoggerState& lg = c.logger;
  lg.count = 0;
  lg.state = kLogOff;
  lg.over_run = false;
  lg.skip_counter = c.params.sampling_skip;
}

}  // namespace

uint16_t volts_to_code(double volts) {
  return to_u16(volts_to_counts_scaled(volts));
}

bool allocate_log_area(Controller& c) {
  LoggerState& lg = c.logger;
  const int32_t n = c.params.max_buf;
  // new[] without value-initialisation: an area beyond the machine's memory is refused here
  // instead of being committed page by page later.
  LogRecord* area = n > 0 ? new (std::nothrow) LogRecord[static_cast<std::size_t>(n)] : nullptr;
  if (!area) {
    std::string text =
        format(SJ("ERROR: ログ領域の確保に失敗しました(%dbyte x %lddata).\n").c_str(),
               static_cast<int>(sizeof(LogRecord)), static_cast<long>(n));
    write_stderr(text);
    emergency_stop(c, text);
    return false;
  }
  lg.area.reset(area);
  lg.capacity = n;
  lg.count = 0;
  lg.state = kLogOff;
  lg.over_run = false;
  lg.skip_counter = c.params.sampling_skip;
  return true;
}

void release_log_area(Controller& c) {
  c.logger.area.reset();
  c.logger.capacity = 0;
}

bool logging_lamp(const Controller& c) {
  return c.logger.state != kLogOff && c.logger.count < c.logger.capacity - 1;
}

void record_sample(Controller& c) {
  LoggerState& lg = c.logger;
  if (lg.state == kLogContinuous) {
    if (--lg.skip_counter > 0) return;
    lg.skip_counter = c.params.sampling_skip;
  }
  // The allocated size, not MAX_BUF: rokan.ini can name another size until the area is
  // allocated again.
  const int32_t limit = lg.area ? lg.capacity : c.params.max_buf;
  if (lg.count < 0 || lg.count > limit - 1) {
    lg.state = kLogOff;
    emergency_stop(c, SJ("不正なメモリ領域にアクセスしようとしています(要debug)"));
    lg.count = 0;
    return;
  }
  if (lg.state == kLogOff) return;
  if (!lg.area) {
    emergency_stop(c, SJ("ログ領域が確保されてません．"));
    return;
  }
  LogRecord& rec = lg.area[static_cast<std::size_t>(lg.count)];
  for (int leg = 0; leg < kLegCount; ++leg) {
    for (int j = 0; j < 3; ++j) {
      rec.raw[leg][j] = read_count(c.sensor.pt_volt[leg][j]);
      rec.order[leg][j] = volts_to_code(c.servo[leg].order[j]);
    }
    rec.paw[leg] = volts_to_code(c.sensor.paw_volt[leg]);
  }
  rec.antenna = volts_to_code(c.sensor.antenna_volt);
  bool mode_ok;
  int32_t mode = mode_field(c, mode_ok);
  if (mode_ok) {
    rec.mode = mode;
  } else {
    emergency_stop(c, "ABNORMAL_MODE");
  }
  if (++lg.count >= limit) lg.count = limit - 1;
  if (lg.state == kLogOneShot) lg.state = kLogOff;
}

bool reallocate_log_area(Controller& c) {
  if (c.logger.count != 0 && !write_log_file(c)) return false;
  return allocate_log_area(c);
}

bool write_log_file(Controller& c) {
  LoggerState& lg = c.logger;
  const std::string name = next_log_name(c);
  if (name.empty()) {
    return write_failed(
        c, format("%s%sRKNnnnn.LOG", c.params.user_dir.c_str(), c.params.log_dir.c_str()),
        "RKN0000.LOG to RKN9999.LOG all exist");
  }
  // Created, never overwritten: a name taken since the search is a failure, not a victim.
  PartialLog f(c.workspace, name);
  if (!f.file) return write_failed(c, name, std::strerror(errno));

  const std::string file_text =
      format(SJ("ファイル名[%s]で出力します．[CR]").c_str(), name.c_str());
  msg_set_prompt_line(c, file_text);
  std::string over_time = c.params.over_run_enable
                              ? std::string()
                              : SJ("サンプリングオーバータイムのチェックは無効です．");
  if (lg.over_run) over_time = SJ("サンプリングオーバータイムが発生した形跡があります．");
  // The area may be smaller than MAX_BUF: rokan.ini can name another size until the area is
  // allocated again.
  const std::string overflow = lg.count < lg.capacity - 1
                                   ? std::string()
                                   : SJ("サンプリング領域をオーバーフローした形跡があります．");
  {
    ConsoleWait wait(c);
    c.host.run_log_notice(file_text, over_time, overflow);
  }
  // A failed write sets the stream's error flag; errno is taken at once, before anything else
  // can change it.
  int write_errno = 0;
  auto check = [&] {
    if (!write_errno && std::ferror(f.file)) write_errno = errno ? errno : EIO;
  };
  std::fprintf(f.file, "%s\n%s\n", over_time.c_str(), overflow.c_str());
  write_header(f.file);
  check();

  // Expand the raw records on working copies; the live robot state is left alone.
  Sensor ws = c.sensor;
  RobotState wst = c.state;
  for (int leg = 0; leg < kLegCount; ++leg)
    for (int j = 0; j < 3; ++j) ws.origin[leg][j] = c.sensor.origin[leg][j];
  const double interval = c.params.sampling_skip * c.params.sampling_time;
  prime_state(ws, wst, interval);
  for (int32_t r = 0; r < lg.count && !write_errno; ++r) {
    msg_set_status_line(c, format("Saving...%ld", static_cast<long>(r)));
    const LogRecord& rec = lg.area[static_cast<std::size_t>(r)];
    for (int leg = 0; leg < kLegCount; ++leg) {
      for (int j = 0; j < 3; ++j) {
        ws.raw[leg][j] = rec.raw[leg][j];
        ws.pt_volt[leg][j] = counts_to_volts(rec.raw[leg][j]);
      }
    }
    for (int pass = 0; pass < (r == 0 ? 3 : 1); ++pass) {
      update_state(ws, wst, interval);
      update_legs(wst, interval);
    }
    write_row(f.file, r, interval, rec, wst);
    check();
  }
  if (!write_errno && !f.file.close(true)) write_errno = errno;
  if (write_errno) {
    msg_set_status_line(c, "");
    return write_failed(c, name, std::strerror(write_errno));
  }
  f.keep();
  msg_set_status_line(c, "");
  msg_set_prompt_line(c, "");
  lg.write_error.clear();
  lg.write_error_file.clear();
  lg.written_file = name;
  reset_after_write(c);
  prime_state(c);
  return true;
}

}  // namespace rokan
