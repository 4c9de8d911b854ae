// libFuzzer target: Create and the reading operations of RegexObject on arbitrary pattern and
// subject bytes (layout in regex_input.h). Stops on any result that breaks what must hold.
#include <cstdlib>

#include "regex_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!tuxia::RegexInputHolds(data, size)) std::abort();
  return 0;
}
