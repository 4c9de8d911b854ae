// FindText, FindTextReverse, ReplaceText and SplitText against the plain double-byte walk;
// any difference aborts.
#include <cstdint>
#include <cstdlib>

#include "reference_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const tuxia::reference::SearchCase c = tuxia::reference::DecodeSearchCase({data, size});
  if (!tuxia::reference::Disagreement(c).empty()) std::abort();
  return 0;
}
