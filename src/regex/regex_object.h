#pragma once
// One regular-expression search over a whole GBK text, whose matches are then read by index.
// Options default as the site scrapers use them: IgnoreCase, Multiline and Global on.
// Matches and groups count from 1; reads out of range give 0 or the empty text.
#include <memory>
#include <string>
#include <string_view>

namespace tuxia {

class RegexObject {
 public:
  RegexObject();  // runs the initialiser
  virtual ~RegexObject();

  // The operations, in the order of the object's table.
  virtual void Destroy();  // runs the finaliser and forgets everything; safe to call twice
  [[nodiscard]] virtual std::unique_ptr<RegexObject> Copy() const;
  virtual bool Create(std::string_view pattern, std::string_view subject,
                      bool caseSensitive = false, bool multiline = true, bool global = true,
                      bool quoteToken = false);
  virtual void Reserved();
  [[nodiscard]] virtual std::string GetPattern() const;
  [[nodiscard]] virtual std::string ReplaceMatches(std::string_view replacement) const;
  [[nodiscard]] virtual int MatchCount() const;
  [[nodiscard]] virtual std::string MatchText(int index, int* position = nullptr) const;
  [[nodiscard]] virtual std::string SubmatchText(int match, int group,
                                                 int* position = nullptr) const;
  [[nodiscard]] virtual int SubmatchCount() const;

 private:
  struct State;
  std::shared_ptr<State> state_;  // engine and matches, shared by Copy
  std::string subject_;           // each copy holds its own subject
};

}  // namespace tuxia
