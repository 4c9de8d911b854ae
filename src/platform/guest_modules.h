#pragma once
// Host modules: DLLs that the program provides to guest code, whose exports are host functions
// reached through stub addresses. The kernel32 module functions that an in-memory loader needs
// answer from this table. Module names compare without letter case, and a name without an
// extension means "<name>.dll", as on Windows.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/guest.h"

namespace tuxia::guest {

struct HostExport {
  std::string name;
  std::uint16_t ordinal = 0;  // 0: reached by name only
  unsigned argumentCount = 0;
  Convention convention = Convention::Stdcall;
  HostFunction function;
};

// Offers `module` to guest code with `exports`; it is found by LoadLibraryA, and by
// GetModuleHandleA once loaded. Offering a module again keeps its handle and the stub address of
// every export of the same name and gives those stubs the new functions. False when the trap
// range has no room left.
bool ProvideHostModule(std::string_view module, const std::vector<HostExport>& exports);

// The handle of a provided module that has been loaded, else 0.
std::uint32_t GetModuleHandleA(std::string_view name);
// Loads a provided module and gives its handle, else 0.
std::uint32_t LoadLibraryA(std::string_view name);
// The stub address of an export by its exact name, or by ordinal; 0 when the module or the
// export is unknown.
std::uint32_t GetProcAddress(std::uint32_t module, std::string_view name);
std::uint32_t GetProcAddress(std::uint32_t module, std::uint16_t ordinal);

}  // namespace tuxia::guest
