#include "gui/key_queue.h"

#include "console/console.h"
#include "core/controller.h"

namespace rokan {

bool KeyQueue::feed(Controller& c, Key* fed) {
  if (keys_.empty() || c.console.key_hit) return false;
  const Key key = keys_.front();
  keys_.pop_front();
  if (fed) *fed = key;
  if (key.release) {
    key_release(c, key.code);
  } else {
    key_char(c, key.code);
  }
  return true;
}

}  // namespace rokan
