#pragma once
#include <string>
#include <vector>

#include "regex/regex_object.h"

namespace tuxia {

// Every match text of the last Create, first to last.
inline std::vector<std::string> AllMatches(const RegexObject& regex) {
  std::vector<std::string> matches;
  for (int n = 1; n <= regex.MatchCount(); ++n) matches.push_back(regex.MatchText(n));
  return matches;
}

}  // namespace tuxia
