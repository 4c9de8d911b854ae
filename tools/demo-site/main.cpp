// tuxia-demo-site [port]: the demo material site on 127.0.0.1 (port 8710 when none is given;
// 0 picks a free one). Prints "listening on http://127.0.0.1:<port>/" once it accepts
// connections, and serves until it is stopped.
#include <httplib.h>

#include <QGuiApplication>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "catalogue.h"
#include "images.h"
#include "pages.h"

namespace {

using demo::Category;

long IdOf(const std::string& text) {
  long id = 0;
  std::from_chars(text.data(), text.data() + text.size(), id);
  return id;
}

std::string HostOf(const httplib::Request& request, int port) {
  const std::string host = request.get_header_value("Host");
  return host.empty() ? "127.0.0.1:" + std::to_string(port) : host;
}

void Send(httplib::Response& response, const demo::Page& page) {
  response.status = page.status;
  response.set_content(page.body, page.contentType.c_str());
}

void AddRoutes(httplib::Server& server, const int& port) {
  auto listing = [&port](Category category, int tokenGroup, int pageGroup) {
    return [&port, category, tokenGroup, pageGroup](const httplib::Request& request,
                                                    httplib::Response& response) {
      const std::string page = pageGroup == 0 ? "1" : std::string(request.matches[pageGroup]);
      Send(response, demo::ListingPage(category, HostOf(request, port),
                                       request.matches[tokenGroup].str(), page));
    };
  };
  auto material = [&port](Category category, bool mobile) {
    return [&port, category, mobile](const httplib::Request& request, httplib::Response& response) {
      const long id = IdOf(request.matches[1]);
      const std::string host = HostOf(request, port);
      Send(response,
           mobile ? demo::MobilePage(category, host, id) : demo::MaterialPage(category, host, id));
    };
  };

  server.Get("/", [&port](const httplib::Request& request, httplib::Response& response) {
    Send(response, demo::HomePage(HostOf(request, port)));
  });
  server.Get("/index.php", [](const httplib::Request& request, httplib::Response& response) {
    if (request.get_param_value("m") != "search" || request.get_param_value("a") != "pinYin") {
      response.status = 404;
      return;
    }
    Send(response, demo::SearchAnswer(request.get_param_value("keyword")));
  });
  server.Get(R"(/image/([^/]*)\.html)", listing(Category::Element, 1, 0));
  server.Get(R"(/tuku/([^/]*)\.html)", listing(Category::Background, 1, 0));
  server.Get(R"(/yishuzi/([^/]*)\.html)", listing(Category::WordArt, 1, 0));
  server.Get(R"(/sucai/0-default-0-0-([^/]*)-0-([^/]*))", listing(Category::Element, 1, 2));
  server.Get(R"(/beijing/([^/]*)-0-default-0-8-0-0-0-0-([^/]*)/)",
             listing(Category::Background, 1, 2));
  server.Get(R"(/sucai/(\d+)\.html)", material(Category::Element, false));
  server.Get(R"(/banner/(\d+)\.html)", material(Category::Background, false));
  server.Get(R"(/wordart/(\d+)\.html)", material(Category::WordArt, false));
  server.Get(R"(/m/sucai/(\d+)\.html)", material(Category::Element, true));
  server.Get(R"(/m/banner/(\d+)\.html)", material(Category::Background, true));
  server.Get(R"(/m/wordart/(\d+)\.html)", material(Category::WordArt, true));
  server.Get(R"(/ycbeijing/(\d+)\.html)",
             [&port](const httplib::Request& request, httplib::Response& response) {
               Send(response, demo::FallbackPage(HostOf(request, port), IdOf(request.matches[1])));
             });
  // Pictures, also with the image service's processing suffix (/quality/90/...).
  server.Get(R"(/img/(\w+)/([\w.]+?)(/.*)?)", [](const httplib::Request& request,
                                                 httplib::Response& response) {
    const auto file = demo::PictureFile(request.matches[1].str(), request.matches[2].str());
    if (!file) {
      response.status = 404;
      return;
    }
    const bool png = request.matches[2].str().ends_with(".png");
    response.set_content(*file, png ? "image/png" : "image/jpeg");
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view portText = argc > 1 ? argv[1] : "8710";
  int port = -1;
  const auto [end, error] =
      std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (error != std::errc() || end != portText.data() + portText.size() || port < 0 ||
      port > 65535) {
    std::fprintf(stderr, "usage: tuxia-demo-site [port]\n");
    return 2;
  }
  // Pictures are drawn with Qt, fonts included; no display is needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);

  httplib::Server server;
  AddRoutes(server, port);
  const bool bound = port == 0 ? (port = server.bind_to_any_port("127.0.0.1")) > 0
                               : server.bind_to_port("127.0.0.1", port);
  if (!bound) {
    std::fprintf(stderr, "tuxia-demo-site: cannot listen on 127.0.0.1:%s\n", portText.data());
    return 1;
  }
  std::printf("listening on http://127.0.0.1:%d/\n", port);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}
