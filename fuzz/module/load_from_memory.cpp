// LoadFromMemory over arbitrary bytes: no crash, no hang (guest code runs under a small
// instruction budget), nothing outside the guest touched (AddressSanitizer watches the host).
// A load that succeeds is looked into and unloaded, after which the guest must hold exactly the
// memory it held before.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "module/memory_module.h"
#include "module/skin_host.h"
#include "platform/guest.h"
#include "platform/guest_modules.h"

namespace {

// The host modules that the seed images import from.
bool Prepare() {
  using tuxia::guest::Convention;
  tuxia::guest::SetInstructionBudget(200'000);
  return tuxia::ProvideSkinHost() &&
         tuxia::guest::ProvideHostModule(
             "LoaderTest.dll", {{"Record", 0, 3, Convention::Stdcall, [](auto) { return 1u; }},
                                {"Seven", 7, 0, Convention::Stdcall, [](auto) { return 7u; }}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  if (!prepared) std::abort();
  if (size > (1u << 20)) return 0;
  const std::uint64_t before = tuxia::guest::AllocatedBytes();
  tuxia::MemoryModule module;
  if (module.LoadFromMemory(std::span<const std::uint8_t>(data, size))) {
    for (const char* name : {"SkinH_AttachRes", "Alpha", "Zeta", "Answer", ""}) {
      static_cast<void>(module.FindExport(name));
    }
    module.Unload();
  }
  module.Destroy();
  if (tuxia::guest::AllocatedBytes() != before) std::abort();
  return 0;
}
