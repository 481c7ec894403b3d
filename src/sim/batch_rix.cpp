// Batch runs of RIX programs (rokan-sim --run FILE.RIX). The program is compiled the way the
// AUTO start compiles it, but from the file's own directory, so a program can be checked where
// it is edited; the start then goes through key S as the operator's second S after warnings.
#include <cstdio>
#include <filesystem>
#include <string>

#include "auto/auto_program.h"
#include "core/modes.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "rix/compiler/compiler.h"
#include "rix/compiler/diagnostics.h"
#include "rix/compiler/tables.h"
#include "rix/runtime/runtime.h"
#include "sim/batch.h"

namespace rokan {
namespace {

constexpr std::size_t kWarningLineMax = 1023;  // bytes per warning line; a longer one is split

// The message of a report line "[PHASE]NNNN: message".
std::string_view message_of(std::string_view report) {
  std::size_t bracket = report.find(']');
  std::size_t colon = report.find(": ", bracket == std::string_view::npos ? 0 : bracket);
  return colon == std::string_view::npos ? report : report.substr(colon + 2);
}

// The report line, then the error as editors and CI logs understand it, with the failing source
// line (as rixc prints it).
void print_compile_error(std::FILE* err, const std::string& file, const RixImage& image) {
  std::fprintf(err, "%s\n", cp932_to_utf8(image.error_text).c_str());
  std::string where = image.error_line > 0 ? format("%s:%d", file.c_str(), image.error_line) : file;
  std::fprintf(err, "%s: error: %s\n", where.c_str(),
               cp932_to_utf8(message_of(image.error_text)).c_str());
  std::string line;
  if (image.error_line > 0 &&
      rix_read_source_line(image.workspace, image.rix_path + image.source_name, image.error_line,
                           line))
    std::fprintf(err, "%5d | %s\n", image.error_line, cp932_to_utf8(line).c_str());
}

// Every line of WARNING.LOG as "FILE: warning: TEXT".
void print_warnings(std::FILE* err, const std::string& file, const RixImage& image,
                    const std::string& rix_dir) {
  File log = File::open(image.workspace, rix_dir + kRixWarningFile, "r");
  if (!log) return;
  LineReader reader(log);
  for (std::string line; reader.next(line, kWarningLineMax);)
    std::fprintf(err, "%s: warning: %s\n", file.c_str(), cp932_to_utf8(line).c_str());
}

int start_rix(BatchSession& s, const std::string& file, const std::string& shown) {
  Controller& c = s.controller();
  namespace fs = std::filesystem;
  fs::path path(file);
  if (path.is_relative()) path = fs::path(s.launch_dir()) / path;
  const std::string rix_dir = controller_path(path.parent_path().string()) + "\\";

  s.press('0');
  if (c.mode.program_no != 0) return s.fail("the RIX program cannot be chosen");
  c.rix.source_name = controller_path(path.filename().string());
  switch (rix_build_for_start(c, rix_dir)) {
    case RixBuild::kFailed:
      print_compile_error(s.err(), shown, c.rix);
      return kBatchUsage;
    case RixBuild::kWarnings:
      print_warnings(s.err(), shown, c.rix, rix_dir);
      break;
    case RixBuild::kReady:
      // Compiled already: S starts it as after acknowledged warnings.
      c.mode.auto_step = kRixWarningsAcknowledged;
      break;
  }
  s.press('S');
  if (!c.mode.auto_running) return s.fail("the RIX program did not start");
  return kBatchRunning;
}

}  // namespace

BatchProgram rix_batch_program(const std::string& file, const std::string& shown) {
  BatchProgram p;
  p.start = [file, shown = shown.empty() ? file : shown](BatchSession& s) {
    return start_rix(s, file, shown);
  };
  p.trace = [seen = uint32_t{0}](BatchSession& s) mutable {
    const RixImage& im = s.controller().rix;
    if (im.executed == seen) return;  // paused, or the run has stopped
    seen = im.executed;
    if (im.executed_again) return;  // a waiting instruction ran once more
    const char* name = nullptr;
    if (im.executed_pc >= 0 && static_cast<std::size_t>(im.executed_pc) < im.instructions.size())
      name = rix_command_name(im.instructions[static_cast<std::size_t>(im.executed_pc)].command);
    std::fprintf(s.out(), "pc %d %s at %.3f s\n", im.executed_pc, name ? name : "?",
                 s.program_time());
  };
  p.reached_end = [](const Controller& c) { return c.mode.auto_step == kRixFinished; };
  return p;
}

}  // namespace rokan
