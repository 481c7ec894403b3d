// The JUnit XML report of a suite run (rokan-sim --run with --junit): one <testsuite> inside a
// <testsuites> root, one <testcase> per program. CI systems (Jenkins, GitLab, GitHub reporters)
// read this shape and merge the files of parallel jobs themselves.
#pragma once

#include <string>
#include <vector>

namespace rokan {

struct JunitCase {
  enum Result { kPassed, kFailure, kError };
  std::string name;       // the program's file name
  std::string classname;  // its directory, as given on the command line
  std::string file;       // the path as given
  double seconds = 0;     // wall-clock time of its run
  Result result = kPassed;
  std::string message;     // kFailure, kError: one line, the reason
  std::string type;        // kFailure, kError: a short word for the kind of failure
  std::string detail;      // kFailure, kError: the element's text
  std::string system_out;  // what the program showed (status lines, trace)
  std::string system_err;  // the run's error stream (warnings, reasons)
};

struct JunitSuite {
  std::string name;
  std::string timestamp;  // local start time, "YYYY-MM-DDThh:mm:ss"
  std::string hostname;
  double seconds = 0;  // wall-clock time of the whole suite
  std::vector<JunitCase> cases;
};

// The report as UTF-8 XML. Text is escaped; characters XML 1.0 cannot hold (control characters
// such as the controller's bells, invalid UTF-8) are dropped or replaced by U+FFFD.
std::string junit_xml(const JunitSuite& suite);

}  // namespace rokan
