#include "browse/site.h"

namespace tuxia {
namespace {
std::string& Host() {
  static std::string host;
  return host;
}
}  // namespace

const std::string& SiteHost() { return Host(); }

void SetSiteHost(std::string_view host) { Host() = std::string(host); }

std::string SiteAddress(std::string_view path) {
  std::string address = "http://";
  address += Host();
  address += path;
  return address;
}

}  // namespace tuxia
