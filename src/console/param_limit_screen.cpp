// The angle limit screen: the joint angle limits (degrees on screen, radians in memory) of the
// plus or the minus side, and the potentiometer working range.
#include <algorithm>
#include <cmath>
#include <limits>

#include "console/console.h"
#include "console/menu_form.h"
#include "console/param_screens.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Plus-side key of joint 1 of each leg; the minus side follows it.
constexpr JointLimitKey kJoint1Plus[4] = {kLimitJ00Plus, kLimitJ10Plus, kLimitJ20Plus,
                                          kLimitJ30Plus};

void draw(Controller& c, bool plus) {
  const double* lim = c.params.joint_limit;
  auto deg = [lim](int key) { return lim[key] * kRadToDeg; };
  menu_heading(c, "<Parameter : Limit>");
  menu_blank(c);
  menu_line(c, "Now:");
  text_put(c, 10, c.console.menu_line - 1, plus ? SJ("プラス側選択") : SJ("マイナス側選択"));
  const std::string& leg_format = SJ("F%d = (%.2lf～%.2lf), (%.2lf～%.2lf), (%.2lf～%.2lf) [deg]");
  for (int leg = 0; leg < kLegCount; ++leg) {
    const int j1 = kJoint1Plus[leg];
    menu_line_at(c, 7,
                 format(leg_format.c_str(), leg + 1, deg(j1 + 1), deg(j1), deg(kLimitJn1Minus),
                        deg(kLimitJn1Plus), deg(kLimitJn2Minus), deg(kLimitJn2Plus)));
  }
  menu_line_at(c, 7,
               format(SJ("第3関節相対角度 = (%.2lf～%.2lf) [deg]").c_str(), deg(kLimitJn2RelMinus),
                      deg(kLimitJn2RelPlus)));
  menu_line_at(c, 7,
               format(SJ("ポテンショメータ稼動範囲 = (2048 ± %d)").c_str(), c.params.pt_limit));
  menu_blank(c);
  static const char* const kLeft[] = {"1: 脚1の第1関節", "2: 脚2の第1関節", "3: 脚3の第1関節",
                                      "4: 脚4の第1関節", "+ : プラス側選択"};
  static const char* const kRight[] = {"5: 脚1～4の第2関節", "6: 脚1～4の第3関節",
                                       "7: 脚1～4の第3関節(相対角度)",
                                       "8: ポテンショメータ稼動範囲", "- : マイナス側選択"};
  // The left item is padded to column 24: put at a column past the end of a line, text is only
  // appended, and the second column is to start at column 25.
  for (int i = 0; i < 5; ++i) {
    std::string left = utf8_to_cp932(kLeft[i]);
    left.resize(std::max<std::size_t>(left.size(), 24), ' ');
    menu_line(c, left);
    text_put(c, 25, c.console.menu_line - 1, utf8_to_cp932(kRight[i]));
  }
  menu_footer(c);
}

// The limit that key 1..7 edits on the selected side.
int limit_key(int key, bool plus) {
  int plus_key;
  if (key <= '4')
    plus_key = kJoint1Plus[key - '1'];
  else if (key == '5')
    plus_key = kLimitJn1Plus;
  else if (key == '6')
    plus_key = kLimitJn2Plus;
  else
    plus_key = kLimitJn2RelPlus;
  return plus ? plus_key : plus_key + 1;
}

}  // namespace

void param_angle_limit_screen(Controller& c) {
  bool plus = true;
  for (;;) {
    draw(c, plus);
    int key = menu_key(c);
    if (key == 'Q') return;
    if (key == '+' || key == '-') {
      plus = key == '+';
    } else if (key >= '1' && key <= '7') {
      double v;
      if (ask_value(c, v)) c.params.joint_limit[limit_key(key, plus)] = v * kDegToRad;
    } else if (key == '8') {
      // The range is a 16-bit count; a larger entry would wrap to a wrong range.
      double v;
      if (ask_value(c, v) && std::fabs(v) < std::numeric_limits<int16_t>::max() + 1.0) {
        const int range = static_cast<int>(std::fabs(v));
        if (range > 0) c.params.pt_limit = static_cast<int16_t>(range);
      }
    }
  }
}

}  // namespace rokan
