#include "preview/download.h"

#include "platform/internet_client.h"

namespace tuxia {

Bytes HttpGetBytes(std::string_view address) {
  return InternetGetBytes(address.substr(0, address.find('#')));
}

}  // namespace tuxia
