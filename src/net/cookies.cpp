#include "net/cookies.h"

#include <algorithm>

#include "text/text.h"

namespace tuxia {
namespace {

// Removes the last `n` characters; an empty text stays empty.
std::string DropTail(std::string_view text, int n) { return TextLeft(text, TextLength(text) - n); }

}  // namespace

void CollectCookieLine(std::string_view line, std::string& collected) {
  if (FindText(line, "Set-Cookie") < 0) return;
  const std::string value = FindText(line, ";") > 0 ? TextBetween(line, "Set-Cookie:", ";")
                                                    : ReplaceText(line, "Set-Cookie:");
  collected += ConcatText({TrimText(value), "; "});
}

void FinishCookies(std::string& collected, std::string* cookies, bool merge) {
  collected = DropTail(collected, 2);
  if (merge && cookies) collected = MergeCookies(*cookies, collected);
}

std::string MergeCookies(std::string& old, std::string& fresh) {
  old = RemoveSpaces(old);
  fresh = RemoveSpaces(fresh);
  const TextArray oldItems = SplitText(old, ";");
  TextArray items = SplitText(fresh, ";");
  for (const std::string& item : oldItems) {
    if (!HasCookieName(items, CookieName(item))) items.push_back(item);
  }
  old.clear();
  for (const std::string& item : items) {
    if (TextRight(item, 8) != "=deleted") old += ConcatText({item, "; "});
  }
  old = DropTail(old, 2);
  old = JoinDistinct(old, "; ");
  return old;
}

std::string CookieName(std::string_view item) {
  const int equals = FindText(item, "=");
  if (equals < 0) return TrimText(item);
  return TrimText(TextLeft(item, equals - 1));
}

bool HasCookieName(const TextArray& items, std::string_view name) {
  return std::any_of(items.begin(), items.end(),
                     [&](const std::string& item) { return CookieName(item) == name; });
}

std::string JoinDistinct(std::string_view text, std::string_view separator) {
  TextArray kept;
  for (const std::string& piece : SplitText(text, separator)) {
    if (std::find(kept.begin(), kept.end(), piece) == kept.end()) kept.push_back(piece);
  }
  std::string joined;
  for (const std::string& piece : kept) joined += ConcatText({piece, separator});
  return DropTail(joined, TextLength(separator));
}

}  // namespace tuxia
