// The keys typed into the operator's windows on their way to the console's key store.
//
// The store holds one key. A wait for a key empties it when it starts, and the dispatcher takes
// at most one key per tick, while keys can come faster than that (typed quickly, or several
// delivered in one step of the event loop) and at any moment (while a dialog closes, say). So a
// typed key waits here first and enters the store only where it is taken at once: at a step of
// a wait for a key, or just before a sampling tick that runs outside any wait, whose dispatcher
// takes it. Every key reaches the controller once, in the order typed.
#pragma once

#include <cstddef>
#include <deque>

namespace rokan {

struct Controller;

class KeyQueue {
 public:
  // A typed character (one CP932 byte) or the release of a key (Tab 9, Esc 27).
  struct Key {
    bool release;
    int code;
  };

  void push(Key key) { keys_.push_back(key); }
  // Moves the oldest waiting key into the store if the store is empty; true when it did (the key
  // is then copied to `fed`, when given).
  bool feed(Controller& c, Key* fed = nullptr);

  std::size_t waiting() const { return keys_.size(); }

 private:
  std::deque<Key> keys_;
};

}  // namespace rokan
