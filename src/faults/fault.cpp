#include "faults/fault.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "core/units.h"
#include "platform/text.h"

namespace rokan {
namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};
constexpr KindName kKinds[] = {
    {FaultKind::kPotStuck, "pot-stuck"},
    {FaultKind::kPotOffset, "pot-offset"},
    {FaultKind::kPotNoise, "pot-noise"},
    {FaultKind::kMotorDead, "motor-dead"},
    {FaultKind::kMotorReversed, "motor-reversed"},
    {FaultKind::kPawStuck, "paw-stuck"},
    {FaultKind::kAdStuck, "ad-stuck"},
    {FaultKind::kOverrun, "overrun"},
    {FaultKind::kClear, "clear"},
};

constexpr int kCountTop = kConverterTopCount;
constexpr double kAdSpan = kConverterSpanVolts / 2;  // the converters read -10..+10 V

const char* kind_name(FaultKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return k.name;
  return "?";
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return out;
}

// A whole number of digits (with an optional sign) in `lo`..`hi`.
bool whole_number(std::string_view text, long lo, long hi, long& out) {
  std::string s(text);
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v < lo || v > hi) return false;
  out = v;
  return true;
}

// A target word: Jnm, PAWn, ADn or all, in any case. Returns kNone when it is none of these
// forms, with `malformed` set when it starts like one of them but names nothing that exists.
FaultTarget read_target(std::string_view word, int& index, bool& malformed) {
  const std::string t = upper(word);
  malformed = false;
  if (t == "ALL") return FaultTarget::kAll;
  long n = 0;
  if (t.size() >= 2 && t[0] == 'J' && std::isdigit(static_cast<unsigned char>(t[1]))) {
    if (t.size() == 3 && t[1] >= '1' && t[1] <= '4' && t[2] >= '1' && t[2] <= '3') {
      index = (t[1] - '1') * 3 + (t[2] - '1');
      return FaultTarget::kJoint;
    }
  } else if (t.rfind("PAW", 0) == 0 && t.size() > 3) {
    if (t.size() == 4 && whole_number(t.substr(3), 1, 4, n)) {
      index = static_cast<int>(n) - 1;
      return FaultTarget::kPaw;
    }
  } else if (t.rfind("AD", 0) == 0 && t.size() > 2 &&
             std::isdigit(static_cast<unsigned char>(t[2]))) {
    if (t.size() <= 4 && whole_number(t.substr(2), 0, 15, n)) {
      index = static_cast<int>(n);
      return FaultTarget::kAd;
    }
  } else {
    return FaultTarget::kNone;
  }
  malformed = true;
  return FaultTarget::kNone;
}

const char* target_form(FaultTarget target) {
  switch (target) {
    case FaultTarget::kJoint:
      return "a joint J11..J43 (leg 1-4, joint 1-3)";
    case FaultTarget::kPaw:
      return "a paw switch PAW1..PAW4";
    case FaultTarget::kAd:
      return "a converter channel AD0..AD15";
    default:
      return "a joint J11..J43, a paw switch PAW1..PAW4, a channel AD0..AD15 or all";
  }
}

FaultTarget target_of(FaultKind kind) {
  switch (kind) {
    case FaultKind::kPotStuck:
    case FaultKind::kPotOffset:
    case FaultKind::kPotNoise:
    case FaultKind::kMotorDead:
    case FaultKind::kMotorReversed:
      return FaultTarget::kJoint;
    case FaultKind::kPawStuck:
      return FaultTarget::kPaw;
    case FaultKind::kAdStuck:
      return FaultTarget::kAd;
    case FaultKind::kOverrun:
      return FaultTarget::kNone;
    case FaultKind::kClear:
      return FaultTarget::kAll;  // any target, or all
  }
  return FaultTarget::kNone;
}

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

// The value of `kind`: false with the reason when it is missing, extra or out of range.
bool read_value(FaultKind kind, std::string_view value, double& out, std::string& error) {
  const std::string name = kind_name(kind);
  const std::string given = "'" + std::string(value) + "'";
  long n = 0;
  switch (kind) {
    case FaultKind::kPotStuck:
      if (!whole_number(value, 0, kCountTop, n))
        return fail(error, name + " takes the count the potentiometer reads, a whole number 0.." +
                               std::to_string(kCountTop) + ", not " + given);
      break;
    case FaultKind::kPotOffset:
      if (!whole_number(value, -kCountTop, kCountTop, n))
        return fail(error, name + " takes an offset in counts, a whole number -" +
                               std::to_string(kCountTop) + ".." + std::to_string(kCountTop) +
                               ", not " + given);
      break;
    case FaultKind::kPotNoise:
      if (!whole_number(value, 1, kCountTop, n))
        return fail(error, name + " takes the noise amplitude in counts, a whole number 1.." +
                               std::to_string(kCountTop) + ", not " + given);
      break;
    case FaultKind::kPawStuck:
      if (value != "on" && value != "off")
        return fail(error, name + " takes on (closed) or off (open), not " + given);
      n = value == "on" ? 1 : 0;
      break;
    case FaultKind::kAdStuck: {
      std::string s(value);
      char* end = nullptr;
      double v = s.empty() ? NAN : std::strtod(s.c_str(), &end);
      if (s.empty() || *end != '\0' || !(v >= -kAdSpan && v <= kAdSpan))
        return fail(error, name + " takes a voltage -10..10, not " + given);
      out = v;
      return true;
    }
    default:
      if (!value.empty()) return fail(error, name + " takes no value, not " + given);
      break;
  }
  out = static_cast<double>(n);
  return true;
}

}  // namespace

bool parse_fault(std::string_view kind, std::string_view target, std::string_view value, Fault& out,
                 std::string& error) {
  Fault f;
  bool known = false;
  for (const KindName& k : kKinds) {
    if (kind == k.name) {
      f.kind = k.kind;
      known = true;
    }
  }
  if (!known) {
    std::string names;
    for (const KindName& k : kKinds) names += std::string(names.empty() ? "" : ", ") + k.name;
    return fail(error, "unknown fault '" + std::string(kind) + "' (the faults are " + names + ")");
  }
  const std::string name = kind_name(f.kind);
  const FaultTarget wanted = target_of(f.kind);
  if (wanted == FaultTarget::kNone) {
    if (!target.empty())
      return fail(error, name + " takes no target, not '" + std::string(target) + "'");
  } else {
    if (target.empty()) return fail(error, name + " needs " + target_form(wanted));
    bool malformed = false;
    f.target = read_target(target, f.index, malformed);
    if (malformed)
      return fail(error, "there is no " + std::string(target) + " on the robot (" + name +
                             " takes " + target_form(wanted) + ")");
    if (f.target == FaultTarget::kNone || (wanted != FaultTarget::kAll && f.target != wanted))
      return fail(error,
                  name + " takes " + target_form(wanted) + ", not '" + std::string(target) + "'");
  }
  if (!read_value(f.kind, value, f.value, error)) return false;
  out = f;
  return true;
}

std::string fault_text(const Fault& f) {
  std::string s = kind_name(f.kind);
  switch (f.target) {
    case FaultTarget::kJoint:
      s += format(" J%d%d", f.index / 3 + 1, f.index % 3 + 1);
      break;
    case FaultTarget::kPaw:
      s += format(" PAW%d", f.index + 1);
      break;
    case FaultTarget::kAd:
      s += format(" AD%d", f.index);
      break;
    case FaultTarget::kAll:
      s += " all";
      break;
    case FaultTarget::kNone:
      break;
  }
  switch (f.kind) {
    case FaultKind::kPotStuck:
    case FaultKind::kPotOffset:
    case FaultKind::kPotNoise:
      s += format(" %d", static_cast<int>(f.value));
      break;
    case FaultKind::kPawStuck:
      s += f.value != 0 ? " on" : " off";
      break;
    case FaultKind::kAdStuck: {
      // The shortest form that reads back as the same voltage.
      std::string v = format("%.15g", f.value);
      if (std::strtod(v.c_str(), nullptr) != f.value) v = format("%.17g", f.value);
      s += " " + v;
      break;
    }
    default:
      break;
  }
  return s;
}

}  // namespace rokan
