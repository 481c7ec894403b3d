// Suite runs of rokan-sim: --run with several programs or directories (their *.RIX files), or
// with --jobs, --shard or --junit. Every program runs as a batch run of its own in a child
// process (fork), in a fresh copy of the workspace with the program copied into a directory of
// its own, so runs share no files: emg.log, sampling logs and the compiler's work files
// (FORMAL.TMP, ... written next to the program) of one run never meet another's, and every
// program gives the result it gives alone on that workspace. The workspace and the programs'
// directories are left as they were; the copies are removed after each run.
//
// Programs are sorted by path; --shard K/N keeps the K-th, (K+N)-th, ... (K counts from 1).
// Results are printed in that order, one line each; exit status 0 when every program passed,
// 1 when any failed, 2 for bad input (nothing runs) or a report that could not be written.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace rokan {

// Returned by suite_main when the arguments ask for a single batch run.
inline constexpr int kNotASuite = -1;

struct SuiteOptions {
  std::vector<std::string> paths;  // --run values: files and directories, as given
  std::string junit;               // --junit FILE, empty without
  int shard = 1, shards = 1;       // --shard K/N
  int jobs = 0;                    // --jobs N; 0: one per core
  std::vector<std::string> rest;   // every other argument, for each program's batch run
  bool suite = false;              // a suite run rather than a single batch run
};

// Splits the suite's own options off the arguments; on bad input returns false with the reason.
bool parse_suite_options(int argc, char** argv, SuiteOptions& out, std::string& error);

// The programs a suite run of `paths` runs, sorted, one shard of them. On bad input (a missing
// file, a directory without programs) returns false with the reason.
bool suite_programs(const std::vector<std::string>& paths, int shard, int shards,
                    std::vector<std::string>& out, std::string& error);

// rokan-sim's suite mode: the exit status, or kNotASuite when the arguments ask for one program
// run as before.
int suite_main(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace rokan
