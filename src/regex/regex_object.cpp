#include "regex/regex_object.h"

#include <optional>

#include "regex/engine.h"
#include "regex/wide_subject.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {

using regex::MatchList;
using regex::WideSubject;

// The engine and the matches of the last Create: the options and the pattern as written to
// the engine, the subject in the engine's units, and the matches (none after a failed search).
struct RegexObject::State {
  regex::EngineOptions options;
  std::u16string pattern;
  std::shared_ptr<const WideSubject> subject;
  std::optional<MatchList> matches;

  // The text of group `group` (0: the whole match) of match `match` (from 1); empty when there
  // is no such match or group. The position is where that text is found again in `text` (the
  // subject as the object holds it), searching from the byte position equal to the match's
  // unit offset, minus 1.
  std::string Read(std::string_view text, int match, int group, int* position) const {
    if (!matches || match < 1 || match > matches->Count() || group > matches->Groups()) return {};
    const std::size_t start = matches->Start(match - 1, group);
    std::string found = start == regex::kUnset
                            ? std::string()
                            : subject->Text(text, start, matches->End(match - 1, group));
    if (position) {
      const auto from = static_cast<int>(matches->Start(match - 1, 0));
      *position = FindText(text, found, from, options.ignoreCase) - 1;
    }
    return found;
  }
};

namespace {

constexpr int kGbk = 936;

// A text ends at its first zero byte; the engine never sees what follows.
std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// Appends the replacement for match `match`, its $ forms expanded: $1 to $99 the group (a
// two-digit number when that group exists, else one digit), $& the match, $` the text before
// it, $' the text after it, $$ one $. Any other $ stays as written.
void AppendReplacement(std::u16string& out, std::u16string_view replacement,
                       std::u16string_view subject, const MatchList& matches, int match) {
  const auto group = [&](int n) {
    const std::size_t start = matches.Start(match, n);
    if (start != regex::kUnset) out += subject.substr(start, matches.End(match, n) - start);
  };
  const auto isGroup = [&](int n) { return n >= 1 && n <= matches.Groups(); };
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t unit = replacement[i];
    const char16_t next = i + 1 < replacement.size() ? replacement[i + 1] : u'\0';
    if (unit != u'$' || next == u'\0') {
      out += unit;
    } else if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      group(0);
      ++i;
    } else if (next == u'`') {
      out += subject.substr(0, matches.Start(match, 0));
      ++i;
    } else if (next == u'\'') {
      out += subject.substr(matches.End(match, 0));
      ++i;
    } else if (const int one = next - u'0'; IsDigit(next)) {
      const char16_t after = i + 2 < replacement.size() ? replacement[i + 2] : u'\0';
      const int two = one * 10 + (after - u'0');
      if (IsDigit(after) && isGroup(two)) {
        group(two);
        i += 2;
      } else if (isGroup(one)) {
        group(one);
        ++i;
      } else {
        out += u'$';
      }
    } else {
      out += u'$';
    }
  }
}

}  // namespace

// The engine needs no set-up per thread, so the initialiser has nothing to do here.
RegexObject::RegexObject() = default;

RegexObject::~RegexObject() = default;

// The finaliser: the engine, the matches and the subject are let go.
void RegexObject::Destroy() {
  state_.reset();
  subject_.clear();
  subject_.shrink_to_fit();
}

std::unique_ptr<RegexObject> RegexObject::Copy() const {
  return std::make_unique<RegexObject>(*this);
}

bool RegexObject::Create(std::string_view pattern, std::string_view subject, bool caseSensitive,
                         bool multiline, bool global, bool quoteToken) {
  static const std::string quoteTokenText = Gbk("#引号");
  subject = UpToZero(subject);
  // Both passes of a listing search the same page: its units are made once.
  const bool sameSubject = state_ && subject == subject_;
  std::shared_ptr<const WideSubject> units =
      sameSubject ? state_->subject : std::make_shared<WideSubject>(subject);
  state_.reset();
  auto state = std::make_shared<State>();
  state->options = {.ignoreCase = !caseSensitive, .multiline = multiline, .global = global};
  const std::string written =
      quoteToken ? ReplaceText(pattern, quoteTokenText, "\"", 1, -1, true) : std::string(pattern);
  state->pattern = regex::FromWideBytes(TextToWide(written, kGbk));
  if (!sameSubject) subject_ = std::string(subject);
  state->subject = std::move(units);
  state->matches = regex::Execute(state->pattern, state->subject->Units(), state->options);
  state_ = std::move(state);
  return state_->matches.has_value();
}

void RegexObject::Reserved() {}

std::string RegexObject::GetPattern() const {
  return state_ ? WideToText(regex::ToWideBytes(state_->pattern), kGbk) : std::string();
}

std::string RegexObject::ReplaceMatches(std::string_view replacement) const {
  if (!state_ || !state_->matches) return {};
  const MatchList& matches = *state_->matches;
  const std::u16string_view subject = state_->subject->Units();
  const std::u16string with = regex::FromWideBytes(TextToWide(UpToZero(replacement), kGbk));
  std::u16string replaced;
  std::size_t copied = 0;
  for (int match = 0; match < matches.Count(); ++match) {
    replaced += subject.substr(copied, matches.Start(match, 0) - copied);
    AppendReplacement(replaced, with, subject, matches, match);
    copied = matches.End(match, 0);
  }
  replaced += subject.substr(copied);
  return WideToText(regex::ToWideBytes(replaced), kGbk);
}

int RegexObject::MatchCount() const {
  return state_ && state_->matches ? state_->matches->Count() : 0;
}

// Out of range, the position is -1.
std::string RegexObject::MatchText(int index, int* position) const {
  if (position) *position = -1;
  return state_ ? state_->Read(subject_, index, 0, position) : std::string();
}

std::string RegexObject::SubmatchText(int match, int group, int* position) const {
  if (position) *position = -1;
  return state_ && group >= 1 ? state_->Read(subject_, match, group, position) : std::string();
}

int RegexObject::SubmatchCount() const { return MatchCount() > 0 ? state_->matches->Groups() : 0; }

}  // namespace tuxia
