// The directory screen: the RIX program, log and settings directories, each relative to the
// user directory and stored with a trailing backslash.
#include "console/console.h"
#include "console/menu_form.h"
#include "console/param_screens.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

// The directory fields hold 31 bytes and the stored name ends with a backslash.
constexpr std::size_t kDirNameMax = 30;
constexpr std::size_t kInputMax = 127;  // bytes of the input dialog's text that are read

void draw(Controller& c) {
  const Params& p = c.params;
  menu_heading(c, "<Parameter : Directory>");
  menu_blank(c);
  menu_line(c, format("1: RIX program  (%s%s)", p.user_dir.c_str(), p.rix_dir.c_str()));
  menu_line(c, format("2: LOG files    (%s%s)", p.user_dir.c_str(), p.log_dir.c_str()));
  menu_line(c, format(SJ("3: 設定ファイル (%s%s)").c_str(), p.user_dir.c_str(), p.ini_dir.c_str()));
  menu_footer(c);
}

// The entered name as the dialog holds it, before input_directory cuts it to its field; a
// trailing backslash does not count.
std::size_t entered_length(const Controller& c) {
  std::string text = sjis_truncate(c.console.input_field, kInputMax);
  if (!text.empty() && text.back() == '\\' && sjis_cut(text, text.size() - 1) == text.size() - 1)
    text.pop_back();
  return text.size();
}

void change_directory(Controller& c, int key) {
  Params& p = c.params;
  menu_line(c, "Directory -> ");
  std::string name;
  const bool exists = input_directory(c, p.user_dir, name);
  if (entered_length(c) > kDirNameMax) {
    // Cut to its field it would name another directory than the one typed: refuse it.
    msg_set_status_line(c, SJ("ディレクトリ名が長すぎます(30バイトまで)．変更しません．"));
    return;
  }
  if (name.find_first_of(" \t") != std::string::npos) {
    // rokan.ini ends a value at its first blank: such a name would come back from the file as
    // another directory at the next start.
    msg_set_status_line(c, SJ("ディレクトリ名に空白・タブは使えません．変更しません．"));
    return;
  }
  if (!exists) return;
  name += '\\';
  if (key == '1') {
    p.rix_dir = name;
    p.rix_path = p.user_dir + p.rix_dir;
  } else if (key == '2') {
    p.log_dir = name;
  } else {
    p.ini_dir = name;
  }
}

}  // namespace

void param_directory_screen(Controller& c) {
  for (;;) {
    draw(c);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key >= '1' && key <= '3') change_directory(c, key);
  }
}

}  // namespace rokan
