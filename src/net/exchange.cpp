#include "net/exchange.h"

#include <algorithm>

#include "text/codepage.h"

namespace tuxia {

void ReadBody(platform::HttpRequest& request, std::string& body, std::string& status,
              std::size_t limit) {
  for (;;) {
    std::size_t available = 0;
    if (!request.QueryDataAvailable(&available) || available < 1) return;
    std::size_t read = 0;
    const bool ok = request.ReadData(body, available, &read);
    if (!ok || body.size() > limit) {
      body.resize(std::min(body.size(), limit));
      status = Gbk("713 读取数据失败!");
      return;
    }
  }
}

}  // namespace tuxia
