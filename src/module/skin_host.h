#pragma once
// The host module "tuxiahost.dll" that the skin engine imports. Its exports SetSkinColor(role,
// rgb) and SetSkinFontSize(points), both stdcall, record the look the engine sets.
#include <optional>

#include "module/skin.h"

namespace tuxia {

inline constexpr char kSkinHostModule[] = "tuxiahost.dll";

// Offers tuxiahost.dll to guest code; false when the guest has no room for it.
bool ProvideSkinHost();
// Forgets what the engine has set so far.
void ClearSkinLookRecord();
// The look the engine set since the last clear; nothing when it set nothing.
std::optional<SkinLook> RecordedSkinLook();
// Calls of the host's exports since the last clear.
int RecordedSkinCalls();

}  // namespace tuxia
