// Scenario files: a whole operator session as a rokan-sim script, run through the scripted host on
// a fresh copy of the bundled workspace, with each expectation written right after the script
// line that causes it. Every annotation is a comment line of the script language, so what a
// scenario does is exactly what its script lines say.
//
//   # setup: file PATH        before the run: workspace file PATH holds the `#|` lines that
//                             follow (UTF-8 here, CP932 on disk), each ended by '\n'
//   # setup: dir PATH         before the run: an empty directory PATH (with its parents)
//   # setup: remove PATH      before the run: PATH and everything below it are gone
//   # setup: replace PATH     before the run: the first `#|` line's text in the file becomes the
//                             second's
//   # do: mkdir PATH          at this point of the run (a repair while a menu waits)
//   # do: remove PATH         likewise, a file or directory taken away
//   # do: file PATH           likewise, the file written as `# setup: file` writes it
//
//   # expect: screen          the text screen is the `#|` lines that follow, and nothing below
//   # expect: screen N TEXT   text screen line N (1..25) is TEXT
//   # expect: screen last TEXT  the last line that is not empty is TEXT
//   # expect: screen lines N  N lines down to the last one that is not empty
//   # expect: screen unchanged  the text screen is as it was at the previous screen expectation
//   # expect: strip mode|status|prompt TEXT   the message strip's line
//   # expect: state POINTER VALUE   a value of the state dump (`dump state`), by JSON pointer
//                                   (/mode, /legs/0/goal/2); numbers within 1e-9, or within
//                                   TOL when VALUE is followed by "within TOL"
//   # expect: lamps BITS      the twelve lamps, LAMP1 first, 1 lit and 0 dark ("100101100000")
//   # expect: file PATH       the workspace file (CP932 on disk) holds the `#|` lines that follow
//   # expect: file PATH contains TEXT   (lacks TEXT: does not contain it)
//   # expect: file PATH lines N
//   # expect: file PATH line N TEXT   line N (from 1) of the file is TEXT
//   # expect: value NAME TEXT  a controller value that no dump shows (the table in the runner)
//   # expect: window open|closed
//   # expect: timer MS        the sampling timer's interval
//   # expect: refused TEXT    the script line before it was refused with a message holding TEXT
//
// TEXT is the rest of the line, trailing blanks included; <TAB>, <CR> and <LF> stand for those
// characters (a backslash is only a backslash: controller paths are full of them). Expectations
// between two script lines are checked together, at that point of the run, even inside a menu's
// wait; those after the end routine closed the main window, once the run is over. A scenario
// file holds no dump lines: its expectations say what to look at.
#pragma once

#include <filesystem>

namespace rokan::test {

// Runs the scenario; every expectation that does not hold is a test failure reported at its
// file:line, as is a file the runner cannot read (an unknown annotation, a dump line).
void run_scenario(const std::filesystem::path& file);

// The directory of the scenario files of the suite.
std::filesystem::path scenario_dir();

}  // namespace rokan::test
