#pragma once
// Dispatch of the window messages waiting in the GUI thread's queue. The application installs
// the real dispatcher at start-up; lower layers call ProcessPendingMessages without knowing the
// window toolkit. With no hook installed the call does nothing.
#include <functional>

namespace tuxia {

void ProcessPendingMessages();
// Installs `hook` (an empty function removes it) and returns the one it replaces.
std::function<void()> SetPendingMessagesHook(std::function<void()> hook);

}  // namespace tuxia
