#include "net/exchange.h"

#include <algorithm>

#include "text/codepage.h"

namespace tuxia {

void ReadBody(platform::HttpRequest& request, Bytes& body, std::string& status, std::size_t limit) {
  for (;;) {
    std::size_t available = 0;
    if (!request.QueryDataAvailable(&available) || available < 1) return;
    Bytes buffer(available);
    std::size_t read = 0;
    if (!request.ReadData(buffer, &read)) {
      status = Gbk("713 读取数据失败!");
      return;
    }
    const std::size_t room = limit - body.size();
    body.insert(body.end(), buffer.begin(), buffer.begin() + std::min(read, room));
    if (read > room) {
      status = Gbk("713 读取数据失败!");
      return;
    }
  }
}

}  // namespace tuxia
