#pragma once
// The web request's own cookie handling: collecting the cookies a response sets from its
// "Set-Cookie" lines, and folding them into the cookies the caller supplied. Pure text work.
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

// One header line: when it holds "Set-Cookie" (exact case), its cookie item (the text between
// "Set-Cookie:" and the first ";" after it, or the whole line less "Set-Cookie:" when it has
// no ";"), trimmed and followed by "; ", is appended to `collected`.
void CollectCookieLine(std::string_view line, std::string& collected);
// After the last line: drops the trailing "; ", then, when `merge` is set and the caller
// supplied `cookies`, merges them in (both texts then hold the merged cookies).
void FinishCookies(std::string& collected, std::string* cookies, bool merge);

// The response's items in their order, then the old items whose names the response did not
// set; "=deleted" items dropped, whole-text duplicates once, spaces removed, "; " between.
// Rewrites both arguments: `old` ends up holding the result, `fresh` loses its spaces.
[[nodiscard]] std::string MergeCookies(std::string& old, std::string& fresh);
// The text before the first "=" (the whole item without one), trimmed.
[[nodiscard]] std::string CookieName(std::string_view item);
[[nodiscard]] bool HasCookieName(const TextArray& items, std::string_view name);
// The pieces of `text` between separators, each kept once in first-seen order.
[[nodiscard]] std::string JoinDistinct(std::string_view text, std::string_view separator);

}  // namespace tuxia
