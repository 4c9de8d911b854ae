#include "platform/guest_modules.h"

#include <algorithm>
#include <map>

namespace tuxia::guest {
namespace {

// Module handles are guest addresses in a range that is never mapped, so a handle is never
// mistaken for memory.
constexpr std::uint32_t kFirstHandle = 0x7FFD0010;
constexpr std::uint32_t kHandleStep = 0x10;

struct ModuleEntry {
  std::uint32_t handle = 0;
  bool loaded = false;
  std::map<std::uint16_t, std::uint32_t> ordinals;  // ordinal -> stub
};

struct HostModules {
  std::map<std::string, ModuleEntry> modules;  // by canonical name
  // "module!Name" -> stub; the stub holds the argument count, convention and host function.
  std::map<std::string, std::uint32_t> registry;
};

HostModules& State() {
  static HostModules state;
  return state;
}

std::string CanonicalName(std::string_view name) {
  std::string canonical(name);
  std::transform(canonical.begin(), canonical.end(), canonical.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  const std::size_t slash = canonical.find_last_of("\\/");
  const std::size_t dot = canonical.rfind('.');
  // A trailing dot says "no extension"; a name without any means a DLL.
  if (!canonical.empty() && canonical.back() == '.') {
    canonical.pop_back();
  } else if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    canonical += ".dll";
  }
  return canonical;
}

std::string RegistryKey(std::string_view module, std::string_view name) {
  return std::string(module) + "!" + std::string(name);
}

// The loaded module of a handle, as its map entry; the end of the map when there is none.
std::map<std::string, ModuleEntry>::iterator LoadedModule(std::uint32_t handle) {
  auto& modules = State().modules;
  return std::find_if(modules.begin(), modules.end(), [handle](const auto& module) {
    return module.second.handle == handle && module.second.loaded;
  });
}

}  // namespace

bool ProvideHostModule(std::string_view module, const std::vector<HostExport>& exports) {
  HostModules& state = State();
  const std::string name = CanonicalName(module);
  ModuleEntry& entry = state.modules[name];
  if (entry.handle == 0) {
    entry.handle =
        kFirstHandle + kHandleStep * static_cast<std::uint32_t>(state.modules.size() - 1);
  }
  for (const HostExport& e : exports) {
    const std::string key = RegistryKey(name, e.name);
    const auto known = state.registry.find(key);
    std::uint32_t stub = 0;
    if (known != state.registry.end()) {
      stub = known->second;
      if (!ReplaceStub(stub, e.argumentCount, e.convention, e.function)) return false;
    } else {
      stub = AddStub(e.argumentCount, e.convention, e.function);
      if (stub == 0) return false;
      state.registry.emplace(key, stub);
    }
    if (e.ordinal != 0) entry.ordinals[e.ordinal] = stub;
  }
  return true;
}

std::uint32_t GetModuleHandleA(std::string_view name) {
  const auto& modules = State().modules;
  const auto found = modules.find(CanonicalName(name));
  return found != modules.end() && found->second.loaded ? found->second.handle : 0;
}

std::uint32_t LoadLibraryA(std::string_view name) {
  auto& modules = State().modules;
  const auto found = modules.find(CanonicalName(name));
  if (found == modules.end()) return 0;
  found->second.loaded = true;
  return found->second.handle;
}

std::uint32_t GetProcAddress(std::uint32_t module, std::string_view name) {
  const auto found = LoadedModule(module);
  if (found == State().modules.end()) return 0;
  const auto& registry = State().registry;
  const auto stub = registry.find(RegistryKey(found->first, name));
  return stub == registry.end() ? 0 : stub->second;
}

std::uint32_t GetProcAddress(std::uint32_t module, std::uint16_t ordinal) {
  const auto found = LoadedModule(module);
  if (found == State().modules.end()) return 0;
  const auto stub = found->second.ordinals.find(ordinal);
  return stub == found->second.ordinals.end() ? 0 : stub->second;
}

}  // namespace tuxia::guest
