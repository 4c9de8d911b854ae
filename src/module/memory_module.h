#pragma once
// MemoryModule maps a 32-bit Windows DLL held as bytes into the guest (platform/guest.h),
// relocates it, links its imports against the host modules and runs its entry point, without a
// file and without a system loader. Addresses are 32-bit guest addresses. Images that pass the
// header tests but point outside themselves are refused; nothing outside the given bytes and the
// mapped image is ever read or written.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "module/pe_format.h"

namespace tuxia {

class MemoryModule {
 public:
  MemoryModule() = default;
  MemoryModule& operator=(const MemoryModule&) = delete;
  // Does not unload: an image still mapped stays mapped (see Destroy).
  virtual ~MemoryModule() = default;

  // The routine table, in its order.

  // Releases the header copies; never unloads the image.
  virtual void Destroy();
  // A new instance with the same LoadedBase and its own header copies. The mapped image is
  // shared, not duplicated: after Unload on either, the other's addresses lead nowhere.
  [[nodiscard]] virtual std::unique_ptr<MemoryModule> Copy() const;
  // Maps, relocates, links and starts `image`; false (with nothing left mapped) when it cannot,
  // or when this instance already holds an image.
  [[nodiscard]] virtual bool LoadFromMemory(std::span<const std::uint8_t> image);
  // Calls the entry point with DLL_PROCESS_DETACH and releases the image; nothing when empty.
  virtual void Unload();
  // The address of the export named exactly `name`, or 0.
  [[nodiscard]] virtual std::uint32_t FindExport(std::string_view name) const;
  [[nodiscard]] virtual std::uint32_t GetEntryPoint() const;
  [[nodiscard]] virtual std::uint32_t GetLoadedBase() const;
  // The steps of LoadFromMemory.
  [[nodiscard]] virtual bool ParseHeaders(std::span<const std::uint8_t> data);
  // Bytes to reserve for the image, from the header copies; 0 when that cannot be reserved.
  [[nodiscard]] virtual std::uint32_t ComputeImageSize() const;
  // The smallest multiple of `alignment` not below `value`; 0 for alignment 0.
  [[nodiscard]] virtual std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) const;
  [[nodiscard]] virtual bool MapSections(std::uint32_t base, std::span<const std::uint8_t> data);
  [[nodiscard]] virtual bool ApplyRelocations(std::uint32_t base);
  [[nodiscard]] virtual bool ResolveImports(std::uint32_t base);

 protected:
  MemoryModule(const MemoryModule&) = default;

 private:
  bool IsDll() const;
  // The entry point's result for `reason`; a DLL without an entry point answers 1, as on
  // Windows, and one whose code faults answers 0.
  std::uint32_t CallEntryPoint(std::uint32_t base, std::uint32_t reason) const;

  std::uint32_t LoadedBase = 0;
  IMAGE_DOS_HEADER DosHeader{};
  IMAGE_NT_HEADERS32 NtHeaders{};
  std::vector<IMAGE_SECTION_HEADER> Sections;
};

// Zero-filled guest memory for an image, at `preferred` when free, else anywhere; 0 when none.
std::uint32_t AllocImage(std::uint32_t preferred, std::uint32_t size);
void FreeImage(std::uint32_t address);

// Calls the guest function at `function` with ten 32-bit arguments (those left out are 0), stdcall
// or cdecl alike, and gives EAX; the stack is as it was afterwards. 0 when the code faults or
// runs past the guest's instruction budget.
std::int32_t CallNative(std::uint32_t function, std::int32_t a1 = 0, std::int32_t a2 = 0,
                        std::int32_t a3 = 0, std::int32_t a4 = 0, std::int32_t a5 = 0,
                        std::int32_t a6 = 0, std::int32_t a7 = 0, std::int32_t a8 = 0,
                        std::int32_t a9 = 0, std::int32_t a10 = 0);

}  // namespace tuxia
