// A short stress run in the manner of a fuzzer: random bytes, random token soup and mutated
// good programs, compiled for about two seconds with a fixed seed. Every input must end in a
// well-formed report or in an image the runtime can trust, and the compiler must write nothing
// but its own files in the RIX directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/tables.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

// What the runtime relies on in a compiled image: every code in its table, every index in
// range, the last record END.
void expect_trustworthy(const RixImage& image, const std::string& source) {
  ASSERT_EQ(image.instructions.size(), static_cast<std::size_t>(image.last_index) + 1) << source;
  EXPECT_EQ(image.instructions.back().command, rix::END) << source;
  const double last = image.last_index;
  for (const RixInstruction& r : image.instructions) {
    EXPECT_LT(r.command, rix::END_OF_CMD);
    EXPECT_LT(r.target, rix::END_OF_TARGET);
    for (int i = 0; i < kRixArgs; ++i) {
      const int kind = r.arg_type[i];
      const double v = r.arg_value[i];
      ASSERT_LT(kind, rix::END_OF_ARG) << source;
      std::size_t size = 0;
      if (kind == rix::LABEL) {
        EXPECT_TRUE(v >= 0 && v <= last) << source;
        continue;
      }
      if (kind == rix::STRING) size = image.messages.size();
      if (kind >= rix::VAR) {
        int plain = (kind - rix::VAR) % rix::kRelOffset + rix::VAR;
        size = plain == rix::VAR ? image.vars.size()
               : plain == rix::POS || (plain >= rix::POS_X && plain <= rix::POS_Z)
                   ? image.pos.size()
                   : image.jnt.size();
      }
      if (size) {
        EXPECT_TRUE(v >= 0 && v < static_cast<double>(size) && v == int(v)) << source;
      }
    }
  }
}

void expect_report(const RixImage& image, const std::string& source) {
  EXPECT_NE(image.error_code, 0) << source;
  EXPECT_EQ(image.error_text.substr(0, 1), "[") << source;
  EXPECT_LE(image.error_text.size(), kRixErrorTextMax) << source;
  EXPECT_EQ(image.phase, rix::RIX_NONE);
  EXPECT_TRUE(image.instructions.empty() && image.vars.empty() && image.labels.empty());
  EXPECT_GE(image.error_line, 0);
}

// The words the soup is made of, blank-separated; ";" twice for more statements per line.
const std::vector<std::string>& vocabulary() {
  static const std::vector<std::string> words = words_of(
      "PTP HS REL_PTP PTP_ANGLE F1 F4 ALL J23 VR1 PAW2 ANTENNA R A MESSAGE GOTO GOSUB CALL "
      "IF THEN ELSEIF ELSE ENDIF WHILE WEND REPEAT UNTIL FOR TO STEP NEXT SUBROUTINE "
      "SUBEND RETURN EXIT END REM SLEEP AD_IN KEY_IN SPECIAL SET_JUST_ANGLE TEACH_ANGLE "
      "STAND_UP X -X P P.X -P.z J J.J2 L: LOOP: S: = += /= + - * / == != >= < !KB_HIT "
      "INPOS_ALL SIN ATAN2 ROT_Z NORM 0 -1 1.5 00 1. CHAR_A CHAR_SPC ; ; // , : 表 ソ ポ \x81 "
      "\t \r 1e5 99999999999999999999");
  return words;
}

std::string token_soup(std::mt19937& rng) {
  std::string s = "3.1\nsoup\nDEF_VAR X\nDEF_POS P\nDEF_JNT J\n";
  std::uniform_int_distribution<int> lines(0, 30), tokens(0, 7);
  const std::vector<std::string>& words = vocabulary();
  std::uniform_int_distribution<std::size_t> word(0, words.size() - 1);
  for (int l = lines(rng); l > 0; --l) {
    for (int t = tokens(rng); t > 0; --t) {
      s += words[word(rng)];
      s += ' ';
    }
    s += '\n';
  }
  if (rng() % 2) s += "END\n";
  return s;
}

std::string random_bytes(std::mt19937& rng) {
  std::string s = rng() % 4 ? "3.1\nbytes\n" : "";
  std::uniform_int_distribution<int> len(0, 3000), byte(0, 255);
  for (int n = len(rng); n > 0; --n) s += static_cast<char>(byte(rng));
  return s;
}

std::string mutate(std::string s, std::mt19937& rng) {
  std::uniform_int_distribution<int> edits(1, 8), byte(0, 255);
  for (int e = edits(rng); e > 0 && !s.empty(); --e) {
    std::size_t at = rng() % s.size();
    switch (rng() % 4) {
      case 0:
        s[at] = static_cast<char>(byte(rng));
        break;
      case 1:
        s.erase(at, 1 + rng() % 8);
        break;
      case 2:
        s.insert(at, vocabulary()[rng() % vocabulary().size()]);
        break;
      default:  // repeat a line somewhere else
        std::size_t from = s.rfind('\n', at), to = s.find('\n', at);
        if (from == std::string::npos || to == std::string::npos) break;
        s.insert(rng() % s.size(), s.substr(from, to - from));
    }
  }
  return s;
}

TEST(Robustness, AnyInputEndsInAReportOrATrustworthyImage) {
  const std::string good = utf8_to_cp932(
      read_file(std::filesystem::path(ROKAN_SOURCE_DIR) / "tests/rix/golden/every_construct.rix"));

  TempDir dir;
  const std::set<std::string> allowed = {"T.RIX",     "FORMAL.TMP",  "VARIABLE.TMP",
                                         "LABEL.TMP", "WARNING.LOG", "rix.obj"};
  // A fixed number of inputs from a fixed seed, so the run is the same on any machine and under
  // any load; ROKAN_STRESS_RUNS and ROKAN_STRESS_SEED make longer or different runs by hand.
  const char* runs_env = std::getenv("ROKAN_STRESS_RUNS");
  const char* seed = std::getenv("ROKAN_STRESS_SEED");
  std::mt19937 rng(seed ? static_cast<unsigned>(std::atoi(seed)) : 20240611u);
  const int total = runs_env ? std::atoi(runs_env) : 300;
  int runs = 0, compiled = 0;
  while (runs < total && !HasFailure()) {
    std::string source;
    switch (runs % 3) {
      case 0:
        source = token_soup(rng);
        break;
      case 1:
        source = random_bytes(rng);
        break;
      default:
        source = mutate(good, rng);
    }
    dir.write("T.RIX", source);
    RixImage image;
    if (rix_compile(image, dir.rix_path(), "T.RIX")) {
      ++compiled;
      expect_trustworthy(image, source);
    } else {
      expect_report(image, source);
    }
    ++runs;
  }
  for (const auto& e : std::filesystem::directory_iterator(dir.path)) {
    EXPECT_TRUE(allowed.count(e.path().filename().string())) << e.path();
  }
  EXPECT_EQ(runs, total);
  EXPECT_GT(compiled, 0);  // the mutations must not all fail, or success paths go untested
}

}  // namespace
}  // namespace rokan::test
