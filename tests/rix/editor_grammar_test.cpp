// The editor grammar (editors/vscode/syntaxes/rix.tmLanguage.json) highlights exactly the words the
// compiler knows: every statement keyword, target, event flag and function name it lists is
// accepted by the compiler in that role, and every such word the compiler accepts is listed.
// Candidates are drawn from the compiler's own name tables, so a keyword added to the compiler
// without the grammar fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "rix/compiler/operands.h"
#include "rix/compiler/tables.h"
#include "rix/rix_test_support.h"

namespace rokan::test {
namespace {

using Words = std::set<std::string>;

const nlohmann::json& grammar() {
  static const nlohmann::json g = [] {
    std::ifstream in(std::string(ROKAN_SOURCE_DIR) +
                     "/editors/vscode/syntaxes/rix.tmLanguage.json");
    return nlohmann::json::parse(in);
  }();
  return g;
}

// The word alternatives of a repository rule: the group of upper-case words in its match (or
// begin) pattern, such as (PTP|REL_PTP|...). The rule must ignore letter case, as the compiler
// does.
Words grammar_words(const std::string& rule) {
  const nlohmann::json& r = grammar().at("repository").at(rule);
  std::string pattern = r.contains("match") ? r["match"] : r["begin"];
  EXPECT_EQ(pattern.rfind("(?i)", 0), 0u) << rule << " must ignore letter case: " << pattern;
  static const std::regex group(R"(\(([A-Z0-9_]+(\|[A-Z0-9_]+)*)\))");
  Words words;
  for (std::sregex_iterator m(pattern.begin(), pattern.end(), group), end; m != end; ++m) {
    std::stringstream alternatives((*m)[1].str());
    for (std::string w; std::getline(alternatives, w, '|');) words.insert(w);
  }
  EXPECT_FALSE(words.empty()) << rule << ": no word list in " << pattern;
  return words;
}

Words words_of_rules(std::initializer_list<const char*> rules) {
  Words all;
  for (const char* rule : rules) all.merge(grammar_words(rule));
  return all;
}

// The candidates that `accepts` takes.
template <class Accepts>
Words accepted(const Words& candidates, Accepts accepts) {
  Words out;
  for (const std::string& w : candidates) {
    if (accepts(w)) out.insert(w);
  }
  return out;
}

// Every name of a code table, and each prefix of it up to an underscore (IF_GOTO_EQ gives IF,
// IF_GOTO and IF_GOTO_EQ), so that statement words which are not command names are candidates.
Words names_and_prefixes(const char* (*name)(int), int count) {
  Words out;
  for (int code = 0; code < count; ++code) {
    std::string n = name(code);
    for (std::size_t i = n.find('_'); i != std::string::npos; i = n.find('_', i + 1)) {
      out.insert(n.substr(0, i));
    }
    out.insert(n);
  }
  return out;
}

// Empty when the grammar lists exactly what the compiler accepts; else the words that differ.
std::string differences(const Words& listed, const Words& accepted) {
  std::string out;
  for (const std::string& w : accepted) {
    if (!listed.count(w)) out += " missing " + w + ";";
  }
  for (const std::string& w : listed) {
    if (!accepted.count(w)) out += " not accepted by the compiler " + w + ";";
  }
  return out;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

TEST(EditorGrammar, ListsExactlyTheStatementKeywordsOfTheCompiler) {
  Words listed = words_of_rules({"declaration", "control", "command", "rem", "message"});
  Words candidates = names_and_prefixes(rix_command_name, kRixCommandNames);
  candidates.merge(names_and_prefixes(rix_arg_name, kRixArgNames));
  for (const char* w : {"DEF_VAR", "DEF_POS", "DEF_JNT", "THEN", "TO", "STEP", "HS"}) {
    candidates.insert(w);
  }
  candidates.insert(listed.begin(), listed.end());
  TempDir dir;
  // A statement that starts with an unknown word is error 22, whatever follows.
  auto is_keyword = [&](const std::string& w) {
    CompileResult r = compile_in(dir, "3.1\nk\n" + w + "\nEND\n");
    return r.image.error_code != 22;
  };
  EXPECT_EQ(differences(listed, accepted(candidates, is_keyword)), "");
  for (const std::string& w : listed) EXPECT_TRUE(is_keyword(lower(w))) << w;
}

TEST(EditorGrammar, ListsExactlyTheTargetsOfTheCompiler) {
  Words listed = grammar_words("target");
  Words candidates = listed;
  for (const char* w : {"ALL", "ANTENNA", "NONE"}) candidates.insert(w);
  for (char a = '0'; a <= '9'; ++a) {
    for (const char* p : {"F", "VR", "PAW"}) candidates.insert(std::string(p) + a);
    for (char b = '0'; b <= '9'; ++b) candidates.insert(std::string("J") + a + b);
  }
  for (int code = 0; code < kRixTargetNames; ++code) {
    std::string n = rix_target_name(code);
    if (n.rfind("TARGET_", 0) == 0) candidates.insert(n.substr(7));
  }
  auto is_target = [](const std::string& w) { return rix_parse_target(w) >= 0; };
  EXPECT_EQ(differences(listed, accepted(candidates, is_target)), "");
  for (const std::string& w : listed) EXPECT_TRUE(is_target(lower(w))) << w;
}

TEST(EditorGrammar, ListsExactlyTheEventFlagsOfTheCompiler) {
  Words listed = grammar_words("event-flag");
  Words candidates = names_and_prefixes(rix_arg_name, kRixArgNames);
  candidates.insert(listed.begin(), listed.end());
  for (char a = '0'; a <= '9'; ++a) {
    candidates.insert(std::string("SPECIAL_FLAG") + a + a);
    for (const char* p : {"INPOS_F", "NEAR_F"}) candidates.insert(std::string(p) + a);
    for (char b = '0'; b <= '9'; ++b) {
      for (const char* p : {"INPOS_J", "NEAR_J"}) candidates.insert(std::string(p) + a + b);
    }
  }
  auto is_flag = [](const std::string& w) {
    double sign;
    return rix_parse_event_flag(w, sign) >= 0;
  };
  EXPECT_EQ(differences(listed, accepted(candidates, is_flag)), "");
  for (const std::string& w : listed) {
    double sign;
    EXPECT_TRUE(is_flag(lower(w))) << w;
    EXPECT_GE(rix_parse_event_flag("!" + w, sign), 0) << w;
    EXPECT_EQ(sign, -1.0) << w;
  }
  // The grammar marks the negation of a flag.
  EXPECT_NE(grammar()["repository"]["event-flag"]["match"].get<std::string>().find("(!)?"),
            std::string::npos);
}

TEST(EditorGrammar, ListsExactlyTheFunctionsOfTheCompiler) {
  Words listed = grammar_words("function");
  Words candidates = listed;
  for (int code = 0; code < kRixCommandNames; ++code) {
    std::string n = rix_command_name(code);
    if (n.rfind("EQUAL_", 0) == 0) candidates.insert(n.substr(6));
  }
  TempDir dir;
  // A function is a word that compiles in one of the assignment shapes.
  auto is_function = [&](const std::string& w) {
    for (const char* form : {"W = # V", "W = # V V", "Q = # P", "Q = # P V", "W = # P"}) {
      std::string statement = std::regex_replace(form, std::regex("#"), w);
      CompileResult r = compile_in(dir,
                                   "3.1\nf\nDEF_VAR V, W\nDEF_POS P, Q\n"
                                   "V = 1; P.X = 1; P.Y = 2; P.Z = 3\n" +
                                       statement + "\nEND\n");
      if (r.ok) return true;
    }
    return false;
  };
  EXPECT_EQ(differences(listed, accepted(candidates, is_function)), "");
  for (const std::string& w : listed) EXPECT_TRUE(is_function(lower(w))) << w;
}

}  // namespace
}  // namespace rokan::test
