#include "platform/pending_messages.h"

#include <utility>

namespace tuxia {
namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void ProcessPendingMessages() {
  if (Hook()) Hook()();
}

std::function<void()> SetPendingMessagesHook(std::function<void()> hook) {
  return std::exchange(Hook(), std::move(hook));
}

}  // namespace tuxia
