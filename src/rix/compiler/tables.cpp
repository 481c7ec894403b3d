#include "rix/compiler/tables.h"

namespace rokan {
namespace {

using namespace rix;

#define ROKAN_RIX_COMMAND_NAME(code, ...) #code,
constexpr const char* kCommandNames[kRixCommandNames] = {
    ROKAN_RIX_COMMANDS(ROKAN_RIX_COMMAND_NAME, ROKAN_RIX_COMMAND_NAME) "END_OF_CMD"};
#undef ROKAN_RIX_COMMAND_NAME

constexpr const char* kTargetNames[kRixTargetNames] = {
    "NO_TARGET",    "TARGET_ALL",   "TARGET_F1",     "TARGET_F2",    "TARGET_F3",
    "TARGET_F4",    "TARGET_F5",    "TARGET_F6",     "TARGET_F7",    "TARGET_F8",
    "TARGET_F9",    "TARGET_J11",   "TARGET_J12",    "TARGET_J13",   "TARGET_J14",
    "TARGET_J15",   "TARGET_J16",   "TARGET_J17",    "TARGET_J18",   "TARGET_J19",
    "TARGET_J21",   "TARGET_J22",   "TARGET_J23",    "TARGET_J24",   "TARGET_J25",
    "TARGET_J26",   "TARGET_J27",   "TARGET_J28",    "TARGET_J29",   "TARGET_J31",
    "TARGET_J32",   "TARGET_J33",   "TARGET_J34",    "TARGET_J35",   "TARGET_J36",
    "TARGET_J37",   "TARGET_J38",   "TARGET_J39",    "TARGET_J41",   "TARGET_J42",
    "TARGET_J43",   "TARGET_J44",   "TARGET_J45",    "TARGET_J46",   "TARGET_J47",
    "TARGET_J48",   "TARGET_J49",   "TARGET_J51",    "TARGET_J52",   "TARGET_J53",
    "TARGET_J54",   "TARGET_J55",   "TARGET_J56",    "TARGET_J57",   "TARGET_J58",
    "TARGET_J59",   "TARGET_J61",   "TARGET_J62",    "TARGET_J63",   "TARGET_J64",
    "TARGET_J65",   "TARGET_J66",   "TARGET_J67",    "TARGET_J68",   "TARGET_J69",
    "TARGET_J71",   "TARGET_J72",   "TARGET_J73",    "TARGET_J74",   "TARGET_J75",
    "TARGET_J76",   "TARGET_J77",   "TARGET_J78",    "TARGET_J79",   "TARGET_J81",
    "TARGET_J82",   "TARGET_J83",   "TARGET_J84",    "TARGET_J85",   "TARGET_J86",
    "TARGET_J87",   "TARGET_J88",   "TARGET_J89",    "TARGET_J91",   "TARGET_J92",
    "TARGET_J93",   "TARGET_J94",   "TARGET_J95",    "TARGET_J96",   "TARGET_J97",
    "TARGET_J98",   "TARGET_J99",   "TARGET_VR1",    "TARGET_VR2",   "TARGET_VR3",
    "TARGET_PAW1",  "TARGET_PAW2",  "TARGET_PAW3",   "TARGET_PAW4",  "TARGET_ANTENNA",
    "CAL_LEFT_ADD", "CAL_LEFT_SUB", "CAL_LEFT_MULT", "CAL_LEFT_DIV", "END_OF_TARGET"};

constexpr const char* kArgNames[kRixArgNames] = {
    "ARG_NONE",      "LABEL",         "NO_EVENT",      "HALT_REQUEST",  "KB_HIT",
    "INPOS_F1",      "INPOS_F2",      "INPOS_F3",      "INPOS_F4",      "INPOS_ALL",
    "INPOS_J11",     "INPOS_J12",     "INPOS_J13",     "INPOS_J21",     "INPOS_J22",
    "INPOS_J23",     "INPOS_J31",     "INPOS_J32",     "INPOS_J33",     "INPOS_J41",
    "INPOS_J42",     "INPOS_J43",     "NEAR_F1",       "NEAR_F2",       "NEAR_F3",
    "NEAR_F4",       "NEAR_ALL",      "NEAR_J11",      "NEAR_J12",      "NEAR_J13",
    "NEAR_J21",      "NEAR_J22",      "NEAR_J23",      "NEAR_J31",      "NEAR_J32",
    "NEAR_J33",      "NEAR_J41",      "NEAR_J42",      "NEAR_J43",      "SPECIAL_FLAG0",
    "SPECIAL_FLAG1", "SPECIAL_FLAG2", "SPECIAL_FLAG3", "SPECIAL_FLAG4", "SPECIAL_FLAG5",
    "SPECIAL_FLAG6", "SPECIAL_FLAG7", "SPECIAL_FLAG8", "SPECIAL_FLAG9", "STRING",
    "CONSTANT",      "REL_CONSTANT",  "VAR",           "POS",           "JNT",
    "POS_X",         "POS_Y",         "POS_Z",         "JNT_1",         "JNT_2",
    "JNT_3",         "JNT_4",         "JNT_5",         "JNT_6",         "JNT_7",
    "JNT_8",         "JNT_9",         "REL_VAR",       "REL_POS",       "REL_JNT",
    "REL_POS_X",     "REL_POS_Y",     "REL_POS_Z",     "REL_JNT_1",     "REL_JNT_2",
    "REL_JNT_3",     "REL_JNT_4",     "REL_JNT_5",     "REL_JNT_6",     "REL_JNT_7",
    "REL_JNT_8",     "REL_JNT_9",     "M_VAR",         "M_POS",         "M_JNT",
    "M_POS_X",       "M_POS_Y",       "M_POS_Z",       "M_JNT_1",       "M_JNT_2",
    "M_JNT_3",       "M_JNT_4",       "M_JNT_5",       "M_JNT_6",       "M_JNT_7",
    "M_JNT_8",       "M_JNT_9",       "M_REL_VAR",     "M_REL_POS",     "M_REL_JNT",
    "M_REL_POS_X",   "M_REL_POS_Y",   "M_REL_POS_Z",   "M_REL_JNT_1",   "M_REL_JNT_2",
    "M_REL_JNT_3",   "M_REL_JNT_4",   "M_REL_JNT_5",   "M_REL_JNT_6",   "M_REL_JNT_7",
    "M_REL_JNT_8",   "M_REL_JNT_9",   "END_OF_ARG"};

constexpr bool same(const char* a, const char* b) {
  return std::string_view(a) == b;
}

static_assert(same(kTargetNames[TARGET_VR1], "TARGET_VR1"));
static_assert(same(kTargetNames[target_joint(4, 3)], "TARGET_J43"));
static_assert(same(kArgNames[M_REL_JNT_1], "M_REL_JNT_1") && same(kArgNames[STRING], "STRING"));

int find(const char* const* table, int count, std::string_view name) {
  for (int i = 0; i < count; ++i) {
    if (name == table[i]) return i;
  }
  return -1;
}

}  // namespace

const char* rix_command_name(int code) {
  return code >= 0 && code < kRixCommandNames ? kCommandNames[code] : nullptr;
}
const char* rix_target_name(int code) {
  return code >= 0 && code < kRixTargetNames ? kTargetNames[code] : nullptr;
}
const char* rix_arg_name(int code) {
  return code >= 0 && code < kRixArgNames ? kArgNames[code] : nullptr;
}

bool rix_tables_intact() {
  return same(kCommandNames[kRixCommandNames - 1], "END_OF_CMD") &&
         same(kTargetNames[kRixTargetNames - 1], "END_OF_TARGET") &&
         same(kArgNames[kRixArgNames - 1], "END_OF_ARG");
}

uint8_t rix_condition_code(uint8_t base, Comparison cmp) {
  if (cmp != CMP_EVENT) return static_cast<uint8_t>(base + cmp);
  if (base == IF_GOTO_EQ) return IF_GOTO_EVENT;
  if (base == IF_GOSUB_EQ) return IF_GOSUB_EVENT;
  return static_cast<uint8_t>(base + 6);
}

int rix_command_code(std::string_view name) {
  return find(kCommandNames, kRixCommandNames - 1, name);
}
int rix_arg_code(std::string_view name) {
  return find(kArgNames, kRixArgNames - 1, name);
}

}  // namespace rokan
