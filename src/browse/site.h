#pragma once
// The material site's host ("name" or "name:port"). Every address the program builds is
// "http://" + SiteHost() + path. The executable sets it once at start-up from its build's
// constant; tests point it at their local server.
#include <string>
#include <string_view>

namespace tuxia {

[[nodiscard]] const std::string& SiteHost();
void SetSiteHost(std::string_view host);
// "http://" + SiteHost() + path.
[[nodiscard]] std::string SiteAddress(std::string_view path);

}  // namespace tuxia
