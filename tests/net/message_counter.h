#pragma once
// Counts the dispatches of pending window messages while it lives (and can run a step at each).
#include <functional>

#include "platform/pending_messages.h"

namespace tuxia::test {

class MessageCounter {
 public:
  explicit MessageCounter(std::function<void(int)> onDispatch = {})
      : onDispatch_(std::move(onDispatch)), previous_(SetPendingMessagesHook([this] {
          ++count_;
          if (onDispatch_) onDispatch_(count_);
        })) {}
  ~MessageCounter() { SetPendingMessagesHook(previous_); }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;

  int count() const { return count_; }

 private:
  int count_ = 0;
  std::function<void(int)> onDispatch_;
  std::function<void()> previous_;
};

}  // namespace tuxia::test
