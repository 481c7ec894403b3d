#include "console/rix_program_list.h"

#include <cstdio>

#include "console/console.h"
#include "console/menu_form.h"
#include "core/controller.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr int kPerPage = 10;
constexpr std::size_t kNumberLineMax = 255;    // bytes of line 1 that are parsed
constexpr std::size_t kCommentLineMax = 1023;  // bytes of line 2 that are kept
constexpr std::size_t kSkipMax = 65536;        // bytes of the rest of line 1 that are skipped
constexpr std::size_t kFileNameMax = 12;       // the program file name field holds 12 bytes

bool read_entry(const Controller& c, const std::string& dir, const std::string& file,
                RixSourceEntry& out) {
  File f = File::open(c.workspace, dir + file, "rt");
  if (!f) return false;
  out.file = file;
  std::string line;
  LineReader reader(f);
  if (reader.next(line, kNumberLineMax)) {
    double number;
    if (std::sscanf(line.c_str(), "%lf", &number) == 1) out.number = number;
    // A first line that never ends (a device, a huge file) leaves the comment empty.
    if (reader.skip_rest(kSkipMax) && reader.next(line, kCommentLineMax))
      out.comment = sjis_truncate(trim(line), kCommentLineMax);
  }
  return true;
}

void draw(Controller& c, int page, const std::vector<RixSourceEntry>& entries) {
  menu_heading(c, format(SJ("<AUTO MODE/ RIX選択 : %dpage>").c_str(), page));
  menu_blank(c);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const RixSourceEntry& e = entries[i];
    menu_line(c, format("%1d: %-40s (%-13s:%.2lf)", static_cast<int>(i), e.comment.c_str(),
                        e.file.c_str(), e.number));
  }
  menu_blank(c);
  menu_line(c, "N : next     page");
  menu_line(c, "P : previous page");
  menu_line(c, "Q : Quit");
  menu_blank(c);
  menu_line(c, "Input -> ");
}

}  // namespace

std::vector<RixSourceEntry> rix_source_page(const Controller& c, int page) {
  const std::string dir = c.params.user_dir + c.params.rix_dir;
  const std::vector<std::string> files = list_files_with_extension(c.workspace, dir, "RIX");
  std::vector<RixSourceEntry> entries;
  for (std::size_t n = static_cast<std::size_t>(page) * kPerPage;
       n < files.size() && entries.size() < kPerPage; ++n) {
    RixSourceEntry e;
    if (!read_entry(c, dir, files[n], e)) break;
    entries.push_back(std::move(e));
  }
  return entries;
}

void rix_program_list(Controller& c) {
  int page = 0;
  for (;;) {
    const std::vector<RixSourceEntry> entries = rix_source_page(c, page);
    draw(c, page, entries);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key == 'N') {
      ++page;
    } else if (key == 'P') {
      if (page > 0) --page;
    } else if (key >= '0' && key <= '9' && static_cast<std::size_t>(key - '0') < entries.size()) {
      const std::string& file = entries[key - '0'].file;
      // A longer name would be cut and then name another file (or none): refuse it.
      if (file.size() > kFileNameMax) {
        msg_set_status_line(
            c, format(SJ("ファイル名が長すぎます(12文字まで): %s").c_str(), file.c_str()));
        continue;
      }
      c.rix.source_name = file;
      return;
    }
  }
}

}  // namespace rokan
