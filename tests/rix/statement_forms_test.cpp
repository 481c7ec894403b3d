// One source snippet per statement form against the record it must compile to. Every snippet
// is compiled inside the same frame, so the variable indexes and label indexes are fixed:
//   general: VAR_KEY 0, V 1, W 2; coordinate: P 0, Q 1; joint: J 0, K 1;
//   labels: TOP: at 6, SUB: (a SUBROUTINE) at 9 for a one-statement snippet.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

struct Form {
  const char* snippet;
  const char* expected;  // describe() of the record
  int index = 7;         // statement index of the record to check
};

std::string frame(const std::string& snippet) {
  return "3.1\nforms\n"
         "DEF_VAR V W\nDEF_POS P, Q\nDEF_JNT J,K\n"
         "V = 0; W = 0; P.X = 0; Q.X = 0; J.J1 = 0; K.J1 = 0\n"
         "TOP:\n" +
         snippet +
         "\nEXIT\n"
         "SUBROUTINE SUB:\n"
         "SUBEND\n"
         "END\n";
}

class StatementForm : public testing::TestWithParam<Form> {};

TEST_P(StatementForm, CompilesToItsRecord) {
  const Form& f = GetParam();
  CompileResult r = compile_source(frame(f.snippet));
  ASSERT_TRUE(r.ok) << f.snippet << ": " << r.report;
  ASSERT_LT(f.index, static_cast<int>(r.image.instructions.size()));
  EXPECT_EQ(describe(r.image.instructions[static_cast<std::size_t>(f.index)]), f.expected)
      << f.snippet;
}

void PrintTo(const Form& f, std::ostream* os) {
  *os << f.snippet;
}

std::string form_name(const testing::TestParamInfo<Form>& info) {
  return std::to_string(info.index) + "_" + name_of(info.param.snippet, " ;");
}

const Form kMotion[] = {
    {"PTP F1 R 10 A 20 0", "PTP TARGET_F1 0=REL_CONSTANT:10 1=CONSTANT:20 2=CONSTANT:0"},
    {"ptp hs all P", "PTP_HS TARGET_ALL 0=POS:0"},
    {"PTP F2 R -Q", "PTP TARGET_F2 0=M_REL_POS:1"},
    {"PTP F3 V -W r -P.z", "PTP TARGET_F3 0=VAR:1 1=M_VAR:2 2=M_REL_POS_Z:0"},
    {"REL_PTP F4 1 V Q.Y", "REL_PTP TARGET_F4 0=REL_CONSTANT:1 1=REL_VAR:1 2=REL_POS_Y:1"},
    {"REL_PTP HS F1 P", "REL_PTP_HS TARGET_F1 0=REL_POS:0"},
    {"PTP_ANGLE F1 J", "PTP_ANGLE TARGET_F1 0=JNT:0"},
    {"PTP_ANGLE HS J23 R 5", "PTP_ANGLE_HS TARGET_J23 0=REL_CONSTANT:5"},
    {"PTP_ANGLE ALL 10 A V K.J3", "PTP_ANGLE TARGET_ALL 0=CONSTANT:10 1=VAR:1 2=JNT_3:1"},
    {"PTP_ANGLE F2 R -K", "PTP_ANGLE TARGET_F2 0=M_REL_JNT:1"},
    {"REL_PTP_ANGLE J11 K.J2", "REL_PTP_ANGLE TARGET_J11 0=REL_JNT_2:1"},
    {"REL_PTP_ANGLE HS F2 J", "REL_PTP_ANGLE_HS TARGET_F2 0=REL_JNT:0"},
    {"VEL_CONTROL F1 1 -2 3.5", "VEL_CONTROL TARGET_F1 0=CONSTANT:1 1=CONSTANT:-2 2=CONSTANT:3.5"},
    {"VEL_CONTROL ALL Q", "VEL_CONTROL TARGET_ALL 0=POS:1"},
    {"OMEGA_CONTROL J43 V", "OMEGA_CONTROL TARGET_J43 0=VAR:1"},
    {"OMEGA_CONTROL F4 1 2 3", "OMEGA_CONTROL TARGET_F4 0=CONSTANT:1 1=CONSTANT:2 2=CONSTANT:3"},
    {"STAND_UP 20", "STAND_UP 0=CONSTANT:20"},
    {"SIT_DOWN -V", "SIT_DOWN 0=M_VAR:1"},
    {"STAND_UP HIGH", "STAND_UP"},  // any other token leaves the slot empty
    {"DETECT_FLOOR ALL 2", "DETECT_FLOOR TARGET_ALL 0=CONSTANT:2"},
    {"DETECT_FLOOR F3 W", "DETECT_FLOOR TARGET_F3 0=VAR:2"},
    {"WAIT_INPOS J12", "WAIT_INPOS TARGET_J12"},
    {"WAIT_NEAR ALL", "WAIT_NEAR TARGET_ALL"},
    {"TEACH_POSITION F2 Q", "TEACH_POSITION TARGET_F2 0=POS:1"},
    {"TEACH_POSITION J31 P", "TEACH_POSITION TARGET_J31 0=POS:0"},
    {"TEACH_ANGLE F4 K", "TEACH_ANGLE TARGET_F4 0=JNT:1"},
    {"TEACH_ANGLE J42 V", "TEACH_ANGLE TARGET_J42 0=VAR:1"},
    {"TEACH_ANGLE J11 J.j2", "TEACH_ANGLE TARGET_J11 0=JNT_2:0"},
};
INSTANTIATE_TEST_SUITE_P(Motion, StatementForm, testing::ValuesIn(kMotion), form_name);

const Form kLimits[] = {
    {"SET_JUST_ANGLE J11 0.1", "SET_JUST_ANGLE TARGET_J11 0=CONSTANT:0.1"},
    {"SET_NEAR_ANGLE F1 J", "SET_NEAR_ANGLE TARGET_F1 0=JNT:0"},
    {"SET_JUST_ANGLE ALL 1 2 V", "SET_JUST_ANGLE TARGET_ALL 0=CONSTANT:1 1=CONSTANT:2 2=VAR:1"},
    {"SET_SAMPLING_TIME 10", "SET_SAMPLING_TIME 0=CONSTANT:10"},
    {"SET_SAMPLING_FREQ W", "SET_SAMPLING_FREQ 0=VAR:2"},
};
INSTANTIATE_TEST_SUITE_P(Limits, StatementForm, testing::ValuesIn(kLimits), form_name);

const Form kInputOutput[] = {
    {"AD_IN VR2 V", "AD_IN TARGET_VR2 2=VAR:1"},
    {"AD_IN PAW3 V", "AD_IN TARGET_PAW3 2=VAR:1"},
    {"AD_IN antenna W", "AD_IN TARGET_ANTENNA 2=VAR:2"},
    {"AD_IN J32 V", "AD_IN TARGET_J32 2=VAR:1"},
    {"AD_IN 0 16 W", "AD_IN 0=CONSTANT:0 1=CONSTANT:16 2=VAR:2"},
    {"KEY_IN", "KEY_IN 0=VAR:0"},
    {"KEY_IN W", "KEY_IN 0=VAR:2"},
    {"MESSAGE Hello", "MESSAGE 0=STRING:0"},
    {"LAMP_ON -3", "LAMP_ON 0=CONSTANT:-3"},
    {"LAMP_OFF V", "LAMP_OFF 0=VAR:1"},
    {"SPECIAL 255.9 -V CHAR_Z", "SPECIAL 0=CONSTANT:255.9 1=M_VAR:1 2=CONSTANT:90"},
    {"SPECIAL 0", "SPECIAL 0=CONSTANT:0"},
    {"REM PTP F9 whatever", "REM"},
};
INSTANTIATE_TEST_SUITE_P(InputOutput, StatementForm, testing::ValuesIn(kInputOutput), form_name);

const Form kControl[] = {
    {"GOTO TOP:", "GOTO 0=LABEL:6"},
    {"goto top:", "GOTO 0=LABEL:6"},
    {"GOSUB TOP:", "GOSUB 0=LABEL:6"},
    {"GOSUB SUB:", "GOSUB 0=LABEL:9"},
    {"CALL SUB:", "CALL 0=LABEL:9"},
    {"REM", "SUBROUTINE", 9},
    {"REM", "SUBEND", 10},
    {"HERE:", "LABEL_CMD"},
    {"MESSAGE :", "LABEL_CMD"},
    {"IF V == 1 GOTO TOP:", "IF_GOTO_EQ 0=VAR:1 1=CONSTANT:1 2=LABEL:6"},
    {"IF -V != P.X GOTO Top:", "IF_GOTO_NE 0=M_VAR:1 1=POS_X:0 2=LABEL:6"},
    {"IF 2 > W GOTO TOP:", "IF_GOTO_GT 0=CONSTANT:2 1=VAR:2 2=LABEL:6"},
    {"IF P < -Q GOTO TOP:", "IF_GOTO_LT 0=POS:0 1=M_POS:1 2=LABEL:6"},
    {"IF K.J1 >= -J GOTO TOP:", "IF_GOTO_GE 0=JNT_1:1 1=M_JNT:0 2=LABEL:6"},
    {"IF V <= CHAR_SPC GOTO TOP:", "IF_GOTO_LE 0=VAR:1 1=CONSTANT:32 2=LABEL:6"},
    {"IF !KB_HIT GOTO TOP:", "IF_GOTO_EVENT 0=KB_HIT:-1 2=LABEL:6"},
    {"IF W > CHAR_A GOSUB SUB:", "IF_GOSUB_GT 0=VAR:2 1=CONSTANT:65 2=LABEL:9"},
    {"IF inpos_j23 GOSUB SUB:", "IF_GOSUB_EVENT 0=INPOS_J23:1 2=LABEL:9"},
    {"IF V == 1 THEN;ENDIF", "IF_THEN_EQ 0=VAR:1 1=CONSTANT:1 2=LABEL:8"},
    {"IF HALT_REQUEST then;ENDIF", "IF_THEN_EVENT 0=HALT_REQUEST:1 2=LABEL:8"},
    {"IF V == 1 THEN;ELSEIF V < 2 THEN;ENDIF",
     "ELSEIF_LT 0=VAR:1 1=CONSTANT:2 2=LABEL:9 3=CONSTANT:0", 8},
    {"IF V == 1 THEN;ELSEIF !SPECIAL_FLAG9 THEN;ENDIF",
     "ELSEIF_EVENT 0=SPECIAL_FLAG9:-1 2=LABEL:9 3=CONSTANT:0", 8},
    {"IF V == 1 THEN;ELSE;ENDIF", "ELSE 0=LABEL:9 3=CONSTANT:0", 8},
    {"IF V == 1 THEN;ELSE;ENDIF", "ENDIF", 9},
    {"WHILE NEAR_F2;WEND", "WHILE_EVENT 0=NEAR_F2:1 2=LABEL:9"},
    {"WHILE V != W;WEND", "WHILE_NE 0=VAR:1 1=VAR:2 2=LABEL:9"},
    {"WHILE NEAR_F2;WEND", "WEND 0=LABEL:7", 8},
    {"REPEAT;UNTIL V >= W", "REPEAT"},
    {"REPEAT;UNTIL V >= W", "UNTIL_GE 0=VAR:1 1=VAR:2 2=LABEL:7", 8},
    {"REPEAT;UNTIL INPOS_ALL", "UNTIL_EVENT 0=INPOS_ALL:1 2=LABEL:7", 8},
    {"FOR V = 1 TO 10;NEXT V", "FOR 0=VAR:1 1=CONSTANT:1 2=CONSTANT:10 3=LABEL:9 4=CONSTANT:1"},
    {"FOR V = -W TO W step -2;NEXT V", "FOR 0=VAR:1 1=M_VAR:2 2=VAR:2 3=LABEL:9 4=CONSTANT:-2"},
    {"FOR V = -W TO W STEP -2;NEXT V", "NEXT 0=VAR:1 1=LABEL:7", 8},
};
INSTANTIATE_TEST_SUITE_P(Control, StatementForm, testing::ValuesIn(kControl), form_name);

const Form kAssignments[] = {
    {"V = W", "EQUAL 0=VAR:1 1=VAR:2"},
    {"-V = 3", "EQUAL 0=M_VAR:1 1=CONSTANT:3"},
    {"V += -W", "EQUAL CAL_LEFT_ADD 0=VAR:1 1=M_VAR:2"},
    {"V -= 1", "EQUAL CAL_LEFT_SUB 0=VAR:1 1=CONSTANT:1"},
    {"P.Z *= 2", "EQUAL CAL_LEFT_MULT 0=POS_Z:0 1=CONSTANT:2"},
    {"K.J3 /= V", "EQUAL CAL_LEFT_DIV 0=JNT_3:1 1=VAR:1"},
    {"P = Q", "EQUAL 0=POS:0 1=POS:1"},
    {"J = K", "EQUAL 0=JNT:0 1=JNT:1"},
    {"V = W + 1", "EQUAL_ADD 0=VAR:1 1=VAR:2 2=CONSTANT:1"},
    {"V = W - -1", "EQUAL_SUB 0=VAR:1 1=VAR:2 2=CONSTANT:-1"},
    {"P.Y = K.J3 * CHAR_SPC", "EQUAL_MULT 0=POS_Y:0 1=JNT_3:1 2=CONSTANT:32"},
    {"V = 1 / W", "EQUAL_DIV 0=VAR:1 1=CONSTANT:1 2=VAR:2"},
    {"P = P + Q", "EQUAL_ADD 0=POS:0 1=POS:0 2=POS:1"},
    {"J -= K - J", "EQUAL_SUB CAL_LEFT_SUB 0=JNT:0 1=JNT:1 2=JNT:0"},
    {"V = INT -W", "EQUAL_INT 0=VAR:1 1=M_VAR:2"},
    {"V = abs W", "EQUAL_ABS 0=VAR:1 1=VAR:2"},
    {"V = SQRT 2", "EQUAL_SQRT 0=VAR:1 1=CONSTANT:2"},
    {"V = SIN P.X", "EQUAL_SIN 0=VAR:1 1=POS_X:0"},
    {"V = ATAN2 W 1", "EQUAL_ATAN2 0=VAR:1 1=VAR:2 2=CONSTANT:1"},
    {"V = DEG2RAD 180", "EQUAL_DEG2RAD 0=VAR:1 1=CONSTANT:180"},
    {"V = NORM Q", "EQUAL_NORM 0=VAR:1 1=POS:1"},
    {"J.J2 = NORM K", "EQUAL_NORM 0=JNT_2:0 1=JNT:1"},
    {"P = UNIT_VECT Q", "EQUAL_UNIT_VECT 0=POS:0 1=POS:1"},
    {"P = ROT_X Q 90", "EQUAL_ROT_X 0=POS:0 1=POS:1 2=CONSTANT:90"},
    {"P = ROT_Y Q V", "EQUAL_ROT_Y 0=POS:0 1=POS:1 2=VAR:1"},
    {"P += ROT_Z P -V", "EQUAL_ROT_Z CAL_LEFT_ADD 0=POS:0 1=POS:0 2=M_VAR:1"},
};
INSTANTIATE_TEST_SUITE_P(Assignments, StatementForm, testing::ValuesIn(kAssignments), form_name);

// Keywords of one form compile alike, each to the command of its own name: '#' in the source
// and in the record stands for the keyword.
struct Family {
  const char* source;
  const char* record;
  const char* keywords;
};

TEST(StatementForms, KeywordsOfOneFormCompileToTheirOwnCommand) {
  const Family families[] = {
      {"#", "#",
       "ALL_STOP ALL_STOP_RELEASE INITIAL_POSTURE MESSAGE_CLEAR SILENT_ON SILENT_OFF "
       "OUTPUT_VARIABLES FLUSH_BUF LOG_START LOG_STOP LOG_ONE_SHOT EMG_ON EMG_OFF EXIT RETURN END"},
      {"# F2", "# TARGET_F2",
       "SET_A_MAX_SLOW SET_A_MAX_FAST SET_A_MAX_NORMAL SET_V_MAX_SLOW SET_V_MAX_FAST "
       "SET_V_MAX_NORMAL"},
      {"# J21", "# TARGET_J21",
       "SET_OMEGA_MAX_SLOW SET_OMEGA_MAX_FAST SET_OMEGA_MAX_NORMAL SET_OMEGA_DOT_MAX_SLOW "
       "SET_OMEGA_DOT_MAX_FAST SET_OMEGA_DOT_MAX_NORMAL"},
      {"# ALL W", "# TARGET_ALL 0=VAR:2",
       "SET_A_MAX SET_V_MAX SET_A_MAX_RATE SET_V_MAX_RATE SET_JUST_POSITION SET_NEAR_POSITION"},
      {"# J13 0.5", "# TARGET_J13 0=CONSTANT:0.5",
       "SET_OMEGA_MAX SET_OMEGA_DOT_MAX SET_TORQUE_MAX SET_OMEGA_MAX_RATE SET_OMEGA_DOT_MAX_RATE"},
      {"V = # W", "EQUAL_# 0=VAR:1 1=VAR:2", "COS TAN ASIN ACOS ATAN RAD2DEG"},
  };
  auto fill = [](std::string pattern, const std::string& keyword) {
    return pattern.replace(pattern.find('#'), 1, keyword);
  };
  for (const Family& f : families) {
    for (const std::string& keyword : words_of(f.keywords)) {
      const std::string source = fill(f.source, keyword);
      CompileResult r = compile_source(frame(source));
      ASSERT_TRUE(r.ok) << source << ": " << r.report;
      EXPECT_EQ(describe(r.image.instructions[7]), fill(f.record, keyword)) << source;
    }
  }
}

// A number is digits with at most one point inside them, optionally negated; it may be 0 or begin
// "0." but not "00".
TEST(StatementForms, NumbersAreDigitsWithOneInnerPointAndNoDoubleZeroInFront) {
  const std::pair<const char*, const char*> taken[] = {
      {"0", "0"}, {"0.5", "0.5"}, {"-0.25", "-0.25"}, {"10", "10"}, {"100.007", "100.007"}};
  for (const auto& [number, value] : taken) {
    CompileResult r = compile_source(frame(std::string("V = ") + number));
    ASSERT_TRUE(r.ok) << number << ": " << r.report;
    EXPECT_EQ(describe(r.image.instructions[7]), std::string("EQUAL 0=VAR:1 1=CONSTANT:") + value);
  }
  for (const char* number : {"00", "007", "-00", "-007", "00.5", ".5", "5.", "1.2.3", "1e3"}) {
    CompileResult r = compile_source(frame(std::string("V = ") + number));
    EXPECT_FALSE(r.ok) << number << " was taken as a number";
  }
}

}  // namespace
}  // namespace rokan::test
