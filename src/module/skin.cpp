#include "module/skin.h"

#include <memory>

#include "module/carried.h"
#include "module/memory_module.h"
#include "module/skin_host.h"
#include "platform/guest.h"

namespace tuxia {
namespace {

// The process's one loader instance, holding the skin engine from start-up to exit.
std::unique_ptr<MemoryModule> SkinModule;

// The guest address of a copy of SkinData, made at the first attachment and kept for the
// process, since the engine may hold on to the address; 0 when the guest has no room.
std::uint32_t GuestSkinData() {
  static const std::uint32_t address = [] {
    const auto length = static_cast<std::uint32_t>(SkinDataLength);
    const std::uint32_t at = guest::VirtualAlloc(0, length, guest::MEM_COMMIT | guest::MEM_RESERVE,
                                                 guest::PAGE_READONLY);
    if (at == 0 || !guest::Write(at, {SkinData, SkinDataLength})) return std::uint32_t{0};
    return at;
  }();
  return address;
}

}  // namespace

void SkinStartupFirstHalf() { SkinModule = std::make_unique<MemoryModule>(); }

void SkinStartupSecondHalf() {
  if (!SkinModule || !ProvideSkinHost()) return;
  // Start-up goes on whether or not the engine loaded; the attachment then finds nothing.
  static_cast<void>(SkinModule->LoadFromMemory({SkinEngineImage, SkinEngineImageLength}));
}

std::optional<SkinLook> SkinAttach() {
  if (!SkinModule) return std::nullopt;
  const std::uint32_t attach = SkinModule->FindExport("SkinH_AttachRes");
  const std::uint32_t skin = GuestSkinData();
  if (attach == 0 || skin == 0) return std::nullopt;
  ClearSkinLookRecord();
  // The engine's own result is not looked at: the look it set is the answer.
  CallNative(attach, static_cast<std::int32_t>(skin), static_cast<std::int32_t>(SkinDataLength));
  return RecordedSkinLook();
}

void SkinCleanup() {
  if (!SkinModule) return;
  SkinModule->Destroy();
  SkinModule.reset();
}

}  // namespace tuxia
