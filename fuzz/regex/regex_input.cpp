#include "regex_input.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "regex/regex_object.h"
#include "regex/wide_subject.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

constexpr std::size_t kMaxPattern = 256;
constexpr std::size_t kMaxSubject = 4096;
constexpr int kMaxReads = 64;
constexpr int kGbk = 936;

bool UnitsAgree(std::string_view subject) {
  const regex::WideSubject wide(subject);
  const std::u16string units = regex::FromWideBytes(TextToWide(subject, kGbk));
  if (wide.Units() != units) return false;
  const std::u16string_view view(units);
  if (wide.Text(subject, 0, units.size()) != WideToText(regex::ToWideBytes(view), kGbk)) {
    return false;
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (wide.Text(subject, i, i + 1) != WideToText(regex::ToWideBytes(view.substr(i, 1)), kGbk)) {
      return false;
    }
  }
  return true;
}

bool ReadsHold(const RegexObject& regex, std::string_view subject) {
  const int count = regex.MatchCount();
  const int groups = regex.SubmatchCount();
  if (count > static_cast<int>(subject.size()) + 1 || groups < 0) return false;
  for (int n = 1; n <= std::min(count, kMaxReads); ++n) {
    int position = 0;
    const std::string text = regex.MatchText(n, &position);
    if (position < -2 || position > static_cast<int>(subject.size())) return false;
    for (int group = 1; group <= std::min(groups, 4); ++group) {
      if (regex.SubmatchText(n, group, &position).size() > subject.size() * 2) return false;
    }
  }
  const std::string_view shown = subject.substr(0, subject.find('\0'));
  return regex.ReplaceMatches("$&") == WideToText(TextToWide(shown, kGbk), kGbk);
}

}  // namespace

bool RegexInputHolds(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return true;
  const std::uint8_t options = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = std::min(rest.find('\0'), rest.size());
  const std::string_view pattern = rest.substr(0, std::min(split, kMaxPattern));
  const std::string_view subject =
      split < rest.size() ? rest.substr(split + 1, kMaxSubject) : std::string_view();

  if (!UnitsAgree(subject)) return false;
  RegexObject regex;
  const bool created =
      regex.Create(pattern, subject, options & 1, options & 2, options & 4, options & 8);
  if (!created) return regex.MatchCount() == 0 && regex.ReplaceMatches("$&").empty();
  if (!ReadsHold(regex, subject)) return false;
  const std::unique_ptr<RegexObject> copy = regex.Copy();
  regex.Destroy();
  return ReadsHold(*copy, subject) && regex.MatchCount() == 0;
}

}  // namespace tuxia
