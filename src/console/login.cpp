// Login screen: chooses the current user from user.ini in the workspace. The user's
// directory is the first part of every path the controller forms, so it is copied only after
// every line of the file has been checked.
#include <string>
#include <vector>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/menus.h"
#include "core/controller.h"
#include "core/cycle.h"
#include "platform/file.h"
#include "platform/text.h"

namespace rokan {
namespace {

constexpr int kMaxUsers = 10;
constexpr std::size_t kUserNameMax = 15;    // bytes; the name field holds 16 with the terminator
constexpr std::size_t kUserDirMax = 31;     // bytes; the directory field holds 32
constexpr std::size_t kUserLineMax = 1023;  // bytes read per line; a longer line comes in pieces

struct User {
  std::string name;
  std::string dir;
};

bool is_space(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// The first two white-space separated words of a line; false when there are fewer.
bool two_words(const std::string& line, std::string& first, std::string& second) {
  std::size_t i = 0;
  std::string* out[2] = {&first, &second};
  for (std::string* word : out) {
    while (i < line.size() && is_space(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !is_space(line[i])) ++i;
    if (i == start) return false;
    word->assign(line, start, i - start);
  }
  return true;
}

// Shows why the user file was refused and ends the program. The status line alone would vanish
// with the window, so the reason also goes to the report log (when open) and standard error.
bool refuse(Controller& c, const std::string& text) {
  write_stderr(text + "\n");
  fatal_stop(c, text);
  return false;
}

bool read_users(Controller& c, std::vector<User>& users) {
  File f = File::open(c.workspace, "user.ini", "rt");
  if (!f) return refuse(c, SJ("ユーザー情報管理ファイルが存在しません．"));
  std::string line;
  LineReader reader(f);
  for (int n = 1; n <= kMaxUsers && reader.next(line, kUserLineMax); ++n) {
    User u;
    const char* why = nullptr;
    if (!two_words(line, u.name, u.dir))
      why = SJ("ユーザー情報管理ファイルの書式が正しくありません．").c_str();
    else if (u.name.size() > kUserNameMax)
      why = SJ("user.ini %d行目: ユーザー名が長すぎます(15バイトまで)．").c_str();
    else if (u.dir.size() > kUserDirMax)
      why = SJ("user.ini %d行目: ディレクトリ名が長すぎます(31バイトまで)．").c_str();
    if (why) {
      f.reset();  // refuse() may end the process through the host
      return refuse(c, format(why, n));
    }
    users.push_back(std::move(u));
  }
  return true;
}

void draw(Controller& c, const std::vector<User>& users) {
  const Params& p = c.params;
  menu_heading(c, SJ("<TOP>：サーボスイッチを全てＯＦＦにして下さい．"));
  menu_line_at(c, 10, format("<LOGIN : %s (%s)>", p.user_name.c_str(), p.user_dir.c_str()));
  menu_blank(c);
  for (std::size_t i = 0; i < users.size(); ++i)
    menu_line(c, format("%2d : %s\t(%s)", static_cast<int>(i), users[i].name.c_str(),
                        users[i].dir.c_str()));
  menu_footer(c);
}

}  // namespace

bool login_screen(Controller& c) {
  std::vector<User> users;
  if (!read_users(c, users)) return false;
  for (;;) {
    draw(c, users);
    int key = menu_key(c);
    if (key == 'Q') break;
    if (key >= '0' && key <= '9' && static_cast<std::size_t>(key - '0') < users.size()) {
      c.params.user_name = users[key - '0'].name;
      c.params.user_dir = users[key - '0'].dir;
    }
  }
  text_clear(c);
  return true;
}

}  // namespace rokan
