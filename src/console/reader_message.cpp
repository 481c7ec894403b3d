// Messages of the file readers (rokan.ini) on the standard error stream and on the text screen:
// the operator at the GUI looks at the text information window, not at a terminal, while the
// reader waits for a key after its message.
#include <algorithm>

#include "console/console.h"
#include "core/controller.h"
#include "platform/text.h"

namespace rokan {
namespace {

// Below the start-up sequence's lines 5 to 11, so that its later lines do not overwrite the
// message.
constexpr int kFirstMessageLine = 13;

}  // namespace

void reader_message(Controller& c, std::string_view cp932) {
  write_stderr(cp932);
  int line = kFirstMessageLine;
  for (int i = kTextLines; i >= kFirstMessageLine; --i) {
    if (!c.console.screen[i].empty()) {
      line = i + 1;
      break;
    }
  }
  while (!cp932.empty()) {
    const std::size_t nl = cp932.find('\n');
    std::string piece(cp932.substr(0, nl));
    cp932.remove_prefix(nl == std::string_view::npos ? cp932.size() : nl + 1);
    piece.erase(std::remove_if(piece.begin(), piece.end(),
                               [](char ch) { return ch == '\a' || ch == '\r'; }),
                piece.end());
    if (piece.empty()) continue;
    text_put(c, 1, std::min(line++, kTextLines), piece);
  }
}

}  // namespace rokan
