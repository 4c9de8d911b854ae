#pragma once
// The demo site's pages, built from templates. Listing, material and fallback pages are GBK, as
// the real site serves them; the mobile ("alternate") pages are UTF-8.
#include <string>
#include <string_view>

#include "catalogue.h"

namespace demo {

struct Page {
  int status = 200;
  std::string contentType;
  std::string body;
};

// `host` is the "name:port" the client asked for; every address on a page points back to it.
Page SearchAnswer(std::string_view gbkKeyword);
Page ListingPage(Category category, std::string_view host, std::string_view token,
                 std::string_view pageText);
Page MaterialPage(Category category, std::string_view host, long id);
Page MobilePage(Category category, std::string_view host, long id);
Page FallbackPage(std::string_view host, long id);
Page HomePage(std::string_view host);

}  // namespace demo
