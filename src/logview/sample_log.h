// Reading sampling log files (RKNnnnn.LOG) back for viewing: CP932 text, note lines, one
// tab-separated header line, then one tab-separated row of numbers per logged cycle. Damaged
// rows are skipped and listed with their line numbers so a viewer can say what it left out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rokan {

struct SkippedLine {
  int line;            // 1-based line number in the file
  std::string reason;  // English, ASCII
};

struct SampleLog {
  std::vector<std::string> notes;    // lines before the header, CP932
  std::vector<std::string> columns;  // header names, CP932
  int time_column = -1;              // the column rows are plotted against
  std::size_t rows = 0;
  std::vector<double> values;  // rows x columns.size(), row-major
  std::vector<SkippedLine> skipped;
  std::string error;  // why nothing could be read; empty when the file was read

  double at(std::size_t row, int column) const {
    return values[row * columns.size() + static_cast<std::size_t>(column)];
  }
};

// Parses a whole log held in memory.
SampleLog parse_sample_log(std::string_view bytes);
// Reads and parses the file at a local path; a file that cannot be read gives `error`.
SampleLog load_sample_log(const std::string& local_path);

// Index of the last row whose time is at or before t (the first row when t is earlier); rows are
// in time order as the logger writes them. -1 when the log has no rows.
long row_at_time(const SampleLog& log, double t);

// The chosen columns as UTF-8 CSV: a header of column names, then one line per row. Numbers keep
// the precision of the log (%.9g).
std::string sample_log_csv(const SampleLog& log, const std::vector<int>& columns);

// A short summary of the skipped lines for a message: "3 lines skipped: 7 (has 3 fields, ...)".
std::string skipped_summary(const SampleLog& log, std::size_t max_listed = 10);

}  // namespace rokan
