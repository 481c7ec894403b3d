// Fault words: what parse_fault accepts, what it refuses and why, and that fault_text writes
// back words that read as the same fault.
#include "faults/fault.h"

#include <gtest/gtest.h>

#include <string>

namespace rokan {
namespace {

struct Good {
  const char* kind;
  const char* target;
  const char* value;
  FaultTarget want_target;
  int want_index;
  double want_value;
  const char* text;  // fault_text of the result
};

TEST(FaultWords, NameTargetsAsRixProgramsDoAndReadBackTheSame) {
  const Good cases[] = {
      {"pot-stuck", "J11", "3000", FaultTarget::kJoint, 0, 3000, "pot-stuck J11 3000"},
      {"pot-offset", "J23", "-150", FaultTarget::kJoint, 5, -150, "pot-offset J23 -150"},
      {"pot-noise", "j43", "20", FaultTarget::kJoint, 11, 20, "pot-noise J43 20"},
      {"motor-dead", "J32", "", FaultTarget::kJoint, 7, 0, "motor-dead J32"},
      {"motor-reversed", "J12", "", FaultTarget::kJoint, 1, 0, "motor-reversed J12"},
      {"paw-stuck", "PAW4", "on", FaultTarget::kPaw, 3, 1, "paw-stuck PAW4 on"},
      {"paw-stuck", "paw1", "off", FaultTarget::kPaw, 0, 0, "paw-stuck PAW1 off"},
      {"ad-stuck", "AD15", "-2.5", FaultTarget::kAd, 15, -2.5, "ad-stuck AD15 -2.5"},
      {"ad-stuck", "AD0", "0.1", FaultTarget::kAd, 0, 0.1, "ad-stuck AD0 0.1"},
      {"overrun", "", "", FaultTarget::kNone, 0, 0, "overrun"},
      {"clear", "J41", "", FaultTarget::kJoint, 9, 0, "clear J41"},
      {"clear", "PAW2", "", FaultTarget::kPaw, 1, 0, "clear PAW2"},
      {"clear", "AD12", "", FaultTarget::kAd, 12, 0, "clear AD12"},
      {"clear", "all", "", FaultTarget::kAll, 0, 0, "clear all"},
  };
  for (const Good& g : cases) {
    SCOPED_TRACE(g.text);
    Fault f;
    std::string error;
    ASSERT_TRUE(parse_fault(g.kind, g.target, g.value, f, error)) << error;
    EXPECT_EQ(f.target, g.want_target);
    EXPECT_EQ(f.index, g.want_index);
    EXPECT_EQ(f.value, g.want_value);
    EXPECT_EQ(fault_text(f), g.text);
  }
}

struct Bad {
  const char* kind;
  const char* target;
  const char* value;
  const char* error;
};

TEST(FaultWords, MistakesAreRefusedNamingTheWordAndWhatWasExpected) {
  const Bad cases[] = {
      {"pot-stick", "J11", "3000",
       "unknown fault 'pot-stick' (the faults are pot-stuck, pot-offset, pot-noise, motor-dead, "
       "motor-reversed, paw-stuck, ad-stuck, overrun, clear)"},
      {"motor-dead", "J44", "",
       "there is no J44 on the robot (motor-dead takes a joint J11..J43 (leg 1-4, joint 1-3))"},
      {"clear", "J111", "",
       "there is no J111 on the robot (clear takes a joint J11..J43, a paw switch PAW1..PAW4, a "
       "channel AD0..AD15 or all)"},
      {"paw-stuck", "PAW5", "on",
       "there is no PAW5 on the robot (paw-stuck takes a paw switch PAW1..PAW4)"},
      {"ad-stuck", "AD16", "1",
       "there is no AD16 on the robot (ad-stuck takes a converter "
       "channel AD0..AD15)"},
      {"pot-stuck", "PAW1", "3000",
       "pot-stuck takes a joint J11..J43 (leg 1-4, joint 1-3), not 'PAW1'"},
      {"pot-stuck", "", "", "pot-stuck needs a joint J11..J43 (leg 1-4, joint 1-3)"},
      {"overrun", "J11", "", "overrun takes no target, not 'J11'"},
      {"pot-stuck", "J11", "4096",
       "pot-stuck takes the count the potentiometer reads, a whole number 0..4095, not '4096'"},
      {"pot-stuck", "J11", "12.5",
       "pot-stuck takes the count the potentiometer reads, a whole number 0..4095, not '12.5'"},
      {"pot-offset", "J11", "-4096",
       "pot-offset takes an offset in counts, a whole number -4095..4095, not '-4096'"},
      {"pot-noise", "J11", "0",
       "pot-noise takes the noise amplitude in counts, a whole number 1..4095, not '0'"},
      {"paw-stuck", "PAW1", "closed", "paw-stuck takes on (closed) or off (open), not 'closed'"},
      {"ad-stuck", "AD3", "10.5", "ad-stuck takes a voltage -10..10, not '10.5'"},
      {"ad-stuck", "AD3", "nan", "ad-stuck takes a voltage -10..10, not 'nan'"},
      {"motor-dead", "J11", "5", "motor-dead takes no value, not '5'"},
  };
  for (const Bad& b : cases) {
    SCOPED_TRACE(std::string(b.kind) + " " + b.target + " " + b.value);
    Fault f;
    std::string error;
    EXPECT_FALSE(parse_fault(b.kind, b.target, b.value, f, error));
    EXPECT_EQ(error, b.error);
  }
}

}  // namespace
}  // namespace rokan
