#include "logview/sample_log.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/text.h"

namespace rokan {
namespace {

// True when s is well-formed UTF-8 and holds at least one multi-byte character: such a header
// was not written in CP932 (CP932 text of this kind is never valid UTF-8).
bool looks_like_utf8(std::string_view s) {
  bool multibyte = false;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80           ? 1
                            : (b >> 5) == 0x6  ? 2
                            : (b >> 4) == 0xE  ? 3
                            : (b >> 3) == 0x1E ? 4
                                               : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    multibyte = multibyte || len > 1;
    i += len;
  }
  return multibyte;
}

// Splits on tabs into `out` (views into line).
void split_tabs(std::string_view line, std::vector<std::string_view>& out) {
  out.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      out.push_back(line.substr(start));
      return;
    }
    out.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

bool parse_number(std::string_view field, double& out) {
  field = trim(field);  // a field holds no tab: the tabs split the row
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty()) return false;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, out);
  return ec == std::errc() && ptr == end;
}

}  // namespace

SampleLog parse_sample_log(std::string_view bytes) {
  SampleLog log;
  if (bytes.empty()) {
    log.error = "The file is empty.";
    return log;
  }
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    log.error = "The file is UTF-16 text; sampling logs are Shift-JIS (CP932) text.";
    return log;
  }
  if (bytes.find('\0') != std::string_view::npos) {
    log.error = "The file holds binary data (NUL bytes); it is not a sampling log.";
    return log;
  }

  std::string_view rest = bytes;
  int line_no = 0;
  bool have_header = false;
  std::vector<std::string_view> fields;
  LineEnd end;
  for (std::string_view line; next_line(rest, line, &end);) {
    const bool complete = end == LineEnd::kNewline;
    ++line_no;

    if (!have_header) {
      if (line.find('\t') == std::string_view::npos) {
        log.notes.emplace_back(line);
        continue;
      }
      if (looks_like_utf8(line)) {
        log.error = "The header is UTF-8 text; sampling logs are Shift-JIS (CP932) text.";
        return log;
      }
      split_tabs(line, fields);
      for (std::string_view f : fields) log.columns.emplace_back(f);
      log.values.reserve(rest.size() / 10);  // a logged number takes ~10 bytes
      have_header = true;
      continue;
    }

    if (line.empty()) continue;  // a blank line holds no data
    if (!complete) {
      log.skipped.push_back({line_no, "truncated (the file ends inside this row)"});
      continue;
    }
    split_tabs(line, fields);
    if (fields.size() != log.columns.size()) {
      log.skipped.push_back({line_no, format("has %zu fields, the header has %zu", fields.size(),
                                             log.columns.size())});
      continue;
    }
    const std::size_t base = log.values.size();
    log.values.resize(base + fields.size());
    std::size_t bad = fields.size();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (!parse_number(fields[i], log.values[base + i])) {
        bad = i;
        break;
      }
    }
    if (bad != fields.size()) {
      log.values.resize(base);
      log.skipped.push_back({line_no, format("field %zu (%s) is not a number", bad + 1,
                                             cp932_to_utf8(log.columns[bad]).c_str())});
      continue;
    }
    ++log.rows;
  }

  if (!have_header) {
    log.error = "No tab-separated header line was found; this is not a sampling log.";
    return log;
  }
  const std::string time_name = utf8_to_cp932("時間");
  const auto it = std::find(log.columns.begin(), log.columns.end(), time_name);
  if (it != log.columns.end())
    log.time_column = static_cast<int>(it - log.columns.begin());
  else if (log.columns.size() >= 2)
    log.time_column = 1;  // the logger's second column; a renamed header still plots
  else
    log.time_column = 0;
  return log;
}

SampleLog load_sample_log(const std::string& local_path) {
  std::ifstream in(local_path, std::ios::binary);
  if (!in) {
    SampleLog log;
    log.error = "The file cannot be opened: " + local_path;
    return log;
  }
  std::string bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), size);
  }
  if (!in && size > 0) {
    SampleLog log;
    log.error = "The file cannot be read: " + local_path;
    return log;
  }
  return parse_sample_log(bytes);
}

long row_at_time(const SampleLog& log, double t) {
  if (log.rows == 0 || log.time_column < 0) return -1;
  std::size_t lo = 0, hi = log.rows;  // first row with time > t
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (log.at(mid, log.time_column) <= t)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo == 0 ? 0 : static_cast<long>(lo - 1);
}

std::string sample_log_csv(const SampleLog& log, const std::vector<int>& columns) {
  std::string out;
  auto quoted = [](const std::string& s) {
    if (s.find_first_of(",\"\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char ch : s) {
      if (ch == '"') q += '"';
      q += ch;
    }
    return q + '"';
  };
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) out += ',';
    out += quoted(cp932_to_utf8(log.columns[static_cast<std::size_t>(columns[i])]));
  }
  out += '\n';
  char buf[40];
  for (std::size_t r = 0; r < log.rows; ++r) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) out += ',';
      const int n = std::snprintf(buf, sizeof buf, "%.9g", log.at(r, columns[i]));
      out.append(buf, static_cast<std::size_t>(n));
    }
    out += '\n';
  }
  return out;
}

std::string skipped_summary(const SampleLog& log, std::size_t max_listed) {
  if (log.skipped.empty()) return "";
  std::string s =
      format("%zu line%s skipped: ", log.skipped.size(), log.skipped.size() == 1 ? "" : "s");
  for (std::size_t i = 0; i < log.skipped.size() && i < max_listed; ++i) {
    if (i) s += "; ";
    s += format("line %d (%s)", log.skipped[i].line, log.skipped[i].reason.c_str());
  }
  if (log.skipped.size() > max_listed)
    s += format("; and %zu more", log.skipped.size() - max_listed);
  return s;
}

}  // namespace rokan
