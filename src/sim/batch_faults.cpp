// --fault in batch runs: the option's form, and the faults applied at their program times.
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "sim/batch.h"

namespace rokan {

bool parse_fault_option(std::string_view arg, BatchFault& out, std::string& error) {
  const std::string form = "--fault takes KIND:TARGET[:VALUE]@T, T in seconds from 0";
  std::string_view spec = arg;
  out.at = 0;
  const std::size_t at = arg.find('@');
  if (at != std::string_view::npos) {
    spec = arg.substr(0, at);
    std::string t(arg.substr(at + 1));
    char* end = nullptr;
    errno = 0;
    const double v = t.empty() ? NAN : std::strtod(t.c_str(), &end);
    if (t.empty() || *end != '\0' || errno == ERANGE || !(v >= 0) || !std::isfinite(v)) {
      error = form + ", not '" + std::string(arg) + "'";
      return false;
    }
    out.at = v;
  }
  std::string_view words[3];
  int n = 0;
  for (;;) {
    const std::size_t colon = spec.find(':');
    if (n == 2 && colon != std::string_view::npos) {
      error = form + ", not '" + std::string(arg) + "'";
      return false;
    }
    words[n++] = spec.substr(0, colon);
    if (colon == std::string_view::npos) break;
    spec.remove_prefix(colon + 1);
  }
  if (!parse_fault(words[0], words[1], words[2], out.fault, error)) {
    error = "--fault '" + std::string(arg) + "': " + error;
    return false;
  }
  return true;
}

void BatchSession::apply_faults(std::size_t& next) {
  // Simulated time is a sum of sampling times; rounding below a nanosecond still counts.
  while (next < due_.size() && due_[next].at <= program_time_ + 1e-9) {
    const Fault& f = due_[next++].fault;
    faults_.apply(f, c_.sensor);
    if (options_.trace)
      std::fprintf(out_, "fault %s at %.3f s\n", fault_text(f).c_str(), program_time_);
  }
}

double BatchSession::monotonic_seconds() {
  return faults_.clock_seconds(c_.params.sampling_time);
}

}  // namespace rokan
