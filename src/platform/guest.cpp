#include "platform/guest.h"

#include <sys/mman.h>
#include <unicorn/unicorn.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <vector>

namespace tuxia::guest {
namespace {

// Guest address map. Allocations lie in [kLowest, kHighest), as user memory does on 32-bit
// Windows; the trap range above holds the return sentinel and the host stubs.
constexpr std::uint32_t kLowest = 0x00010000;
constexpr std::uint32_t kHighest = 0x7FFD0000;
constexpr std::uint32_t kGranularity = 0x10000;
constexpr std::uint32_t kPage = 0x1000;
constexpr std::uint32_t kTrapBase = 0x7FFE0000;
constexpr std::uint32_t kTrapSize = 0x10000;
constexpr std::uint32_t kSentinel = kTrapBase;
constexpr std::uint32_t kFirstStub = kTrapBase + 0x10;
constexpr std::uint32_t kStubSize = 4;
constexpr std::uint32_t kStubCount = (kTrapSize - 0x10) / kStubSize;
constexpr unsigned kMostStubArguments = 64;
constexpr std::uint32_t kStackSize = 0x100000;

std::uint64_t AlignUp64(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

std::uint32_t Load32(const std::uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
}

void Store32(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Zero-filled host pages, reserved lazily so that a large guest allocation costs nothing until
// it is written.
class HostPages {
 public:
  explicit HostPages(std::size_t size)
      : size_(size),
        data_(
            static_cast<std::uint8_t*>(mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0))) {
    if (data_ == MAP_FAILED) data_ = nullptr;
  }
  HostPages(HostPages&& other) noexcept : size_(other.size_), data_(other.data_) {
    other.data_ = nullptr;
  }
  HostPages(const HostPages&) = delete;
  HostPages& operator=(const HostPages&) = delete;
  HostPages& operator=(HostPages&&) = delete;
  ~HostPages() {
    if (data_ != nullptr) munmap(data_, size_);
  }
  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::uint8_t* data_;
};

struct Stub {
  unsigned argumentCount;
  Convention convention;
  HostFunction function;
};

std::uint32_t PermissionsOf(std::uint32_t protect) {
  switch (protect) {
    case PAGE_READONLY:
      return UC_PROT_READ;
    case PAGE_READWRITE:
      return UC_PROT_READ | UC_PROT_WRITE;
    case PAGE_EXECUTE_READ:
      return UC_PROT_READ | UC_PROT_EXEC;
    case PAGE_EXECUTE_READWRITE:
      return UC_PROT_ALL;
    default:
      return 0;
  }
}

class Engine {
 public:
  Engine() {
    if (uc_open(UC_ARCH_X86, UC_MODE_32, &uc_) != UC_ERR_OK) {
      uc_ = nullptr;
      return;
    }
    if (!MapTrapRange()) return;
    const std::uint32_t stack = Allocate(0, kStackSize, UC_PROT_READ | UC_PROT_WRITE);
    if (stack == 0) return;
    const std::uint32_t top = stack + kStackSize - 0x10;
    ready_ = uc_reg_write(uc_, UC_X86_REG_ESP, &top) == UC_ERR_OK;
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
  ~Engine() {
    if (uc_ != nullptr) uc_close(uc_);
  }

  bool ready() const { return ready_; }

  std::uint32_t Allocate(std::uint32_t address, std::uint32_t size, std::uint32_t permissions) {
    if (size == 0) return 0;
    std::uint64_t base = address & ~(kGranularity - 1);
    std::uint64_t end = AlignUp64(std::uint64_t{address} + size, kPage);
    if (address == 0) {
      const std::optional<std::uint64_t> free = FindFree(AlignUp64(size, kPage));
      if (!free) return 0;
      base = *free;
      end = base + AlignUp64(size, kPage);
    } else if (base < kLowest || end > kHighest || !IsFree(base, end)) {
      return 0;
    }
    HostPages pages(end - base);
    if (pages.data() == nullptr ||
        uc_mem_map_ptr(uc_, base, pages.size(), permissions, pages.data()) != UC_ERR_OK) {
      return 0;
    }
    regions_.emplace(static_cast<std::uint32_t>(base), std::move(pages));
    return static_cast<std::uint32_t>(base);
  }

  bool Release(std::uint32_t address) {
    const auto region = regions_.find(address);
    if (region == regions_.end()) return false;
    const std::uint64_t end = std::uint64_t{address} + region->second.size();
    // Code translated from this memory must not run again when new memory takes its place.
    uc_ctl_remove_cache(uc_, std::uint64_t{address}, end);
    uc_mem_unmap(uc_, address, region->second.size());
    regions_.erase(region);
    return true;
  }

  std::span<std::uint8_t> View(std::uint32_t address, std::uint32_t size) {
    if (size == 0) return {};
    auto region = regions_.upper_bound(address);
    if (region == regions_.begin()) return {};
    --region;
    const std::uint64_t offset = address - region->first;
    if (offset + size > region->second.size()) return {};
    return {region->second.data() + offset, size};
  }

  std::uint64_t AllocatedBytes() const {
    std::uint64_t total = 0;
    for (const auto& [base, pages] : regions_) total += pages.size();
    return total;
  }

  std::uint32_t AddStub(unsigned argumentCount, Convention convention, HostFunction function) {
    if (stubs_.size() == kStubCount || argumentCount > kMostStubArguments) return 0;
    stubs_.push_back(Stub{argumentCount, convention, std::move(function)});
    const std::uint32_t stub = kFirstStub + kStubSize * (stubs_.size() - 1);
    WriteStubCode(stub, stubs_.back());
    return stub;
  }

  bool ReplaceStub(std::uint32_t stub, unsigned argumentCount, Convention convention,
                   HostFunction function) {
    const std::optional<std::size_t> index = StubIndex(stub);
    if (!index || argumentCount > kMostStubArguments) return false;
    stubs_[*index] = Stub{argumentCount, convention, std::move(function)};
    WriteStubCode(stub, stubs_[*index]);
    uc_ctl_remove_cache(uc_, std::uint64_t{stub}, std::uint64_t{stub} + kStubSize);
    return true;
  }

  std::optional<std::uint32_t> Call(std::uint32_t function,
                                    std::span<const std::uint32_t> arguments) {
    if (running_) return std::nullopt;
    std::uint32_t saved = 0;
    uc_reg_read(uc_, UC_X86_REG_ESP, &saved);
    const std::uint32_t sp = saved - 4 * static_cast<std::uint32_t>(arguments.size() + 1);
    if (arguments.size() > kMostStubArguments || !Store(sp, kSentinel)) return std::nullopt;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (!Store(sp + 4 + 4 * static_cast<std::uint32_t>(i), arguments[i])) return std::nullopt;
    }
    uc_reg_write(uc_, UC_X86_REG_ESP, &sp);
    running_ = true;
    faulted_ = false;
    const uc_err result = uc_emu_start(uc_, function, kSentinel, 0, budget_);
    running_ = false;
    std::uint32_t eip = 0;
    std::uint32_t eax = 0;
    uc_reg_read(uc_, UC_X86_REG_EIP, &eip);
    uc_reg_read(uc_, UC_X86_REG_EAX, &eax);
    uc_reg_write(uc_, UC_X86_REG_ESP, &saved);
    if (result != UC_ERR_OK || faulted_ || eip != kSentinel) return std::nullopt;
    return eax;
  }

  void SetBudget(std::uint64_t instructions) { budget_ = instructions; }

 private:
  bool MapTrapRange() {
    HostPages pages(kTrapSize);
    if (pages.data() == nullptr) return false;
    // Anything but a stub or the sentinel traps before it runs; int3 is there for clarity.
    std::memset(pages.data(), 0xCC, pages.size());
    if (uc_mem_map_ptr(uc_, kTrapBase, kTrapSize, UC_PROT_READ | UC_PROT_EXEC, pages.data()) !=
        UC_ERR_OK) {
      return false;
    }
    trap_.emplace(std::move(pages));
    uc_hook hook = 0;
    return uc_hook_add(uc_, &hook, UC_HOOK_CODE, reinterpret_cast<void*>(&Engine::OnTrap), this,
                       kTrapBase, kTrapBase + kTrapSize - 1) == UC_ERR_OK;
  }

  std::optional<std::uint64_t> FindFree(std::uint64_t size) const {
    std::uint64_t candidate = kLowest;
    for (const auto& [base, pages] : regions_) {
      if (candidate + size <= base) break;
      candidate = std::max(candidate, AlignUp64(std::uint64_t{base} + pages.size(), kGranularity));
    }
    if (candidate + size > kHighest) return std::nullopt;
    return candidate;
  }

  bool IsFree(std::uint64_t begin, std::uint64_t end) const {
    const auto next = regions_.lower_bound(static_cast<std::uint32_t>(begin));
    if (next != regions_.end() && next->first < end) return false;
    if (next == regions_.begin()) return true;
    const auto previous = std::prev(next);
    return previous->first + previous->second.size() <= begin;
  }

  bool Store(std::uint32_t address, std::uint32_t value) {
    const std::span<std::uint8_t> bytes = View(address, 4);
    if (bytes.empty()) return false;
    Store32(bytes.data(), value);
    return true;
  }

  std::optional<std::size_t> StubIndex(std::uint32_t address) const {
    if (address < kFirstStub || (address - kFirstStub) % kStubSize != 0) return std::nullopt;
    const std::size_t index = (address - kFirstStub) / kStubSize;
    if (index >= stubs_.size()) return std::nullopt;
    return index;
  }

  // A stub is the return that its convention asks for; the host function runs just before it.
  void WriteStubCode(std::uint32_t stub, const Stub& entry) {
    std::uint8_t* code = trap_->data() + (stub - kTrapBase);
    const std::uint32_t removed =
        entry.convention == Convention::Stdcall ? 4 * entry.argumentCount : 0;
    const std::uint8_t ret[] = {0xC2, static_cast<std::uint8_t>(removed),
                                static_cast<std::uint8_t>(removed >> 8), 0x90};
    const std::uint8_t plainRet[] = {0xC3, 0x90, 0x90, 0x90};
    std::memcpy(code, removed == 0 ? plainRet : ret, kStubSize);
  }

  static void OnTrap(uc_engine*, std::uint64_t address, std::uint32_t, void* self) {
    static_cast<Engine*>(self)->Dispatch(static_cast<std::uint32_t>(address));
  }

  void Dispatch(std::uint32_t address) {
    if (address == kSentinel) return;
    const std::optional<std::size_t> index = StubIndex(address);
    if (!index) return Fault();
    const Stub stub = stubs_[*index];
    std::uint32_t esp = 0;
    uc_reg_read(uc_, UC_X86_REG_ESP, &esp);
    std::vector<std::uint32_t> arguments(stub.argumentCount);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      const std::span<std::uint8_t> bytes = View(esp + 4 + 4 * static_cast<std::uint32_t>(i), 4);
      if (bytes.empty()) return Fault();
      arguments[i] = Load32(bytes.data());
    }
    const std::uint32_t eax = stub.function(arguments);
    uc_reg_write(uc_, UC_X86_REG_EAX, &eax);
  }

  void Fault() {
    faulted_ = true;
    uc_emu_stop(uc_);
  }

  uc_engine* uc_ = nullptr;
  bool ready_ = false;
  bool running_ = false;
  bool faulted_ = false;
  std::uint64_t budget_ = 10'000'000;
  std::optional<HostPages> trap_;
  std::map<std::uint32_t, HostPages> regions_;
  std::vector<Stub> stubs_;
};

Engine* TheEngine() {
  static Engine engine;
  return engine.ready() ? &engine : nullptr;
}

}  // namespace

std::uint32_t VirtualAlloc(std::uint32_t address, std::uint32_t size, std::uint32_t allocationType,
                           std::uint32_t protect) {
  Engine* engine = TheEngine();
  const std::uint32_t permissions = PermissionsOf(protect);
  if (engine == nullptr || allocationType != (MEM_COMMIT | MEM_RESERVE) || permissions == 0) {
    return 0;
  }
  return engine->Allocate(address, size, permissions);
}

bool VirtualFree(std::uint32_t address, std::uint32_t size, std::uint32_t freeType) {
  Engine* engine = TheEngine();
  return engine != nullptr && size == 0 && freeType == MEM_RELEASE && engine->Release(address);
}

std::span<std::uint8_t> Memory(std::uint32_t address, std::uint32_t size) {
  Engine* engine = TheEngine();
  return engine == nullptr ? std::span<std::uint8_t>() : engine->View(address, size);
}

bool Read(std::uint32_t address, std::span<std::uint8_t> out) {
  if (out.empty()) return true;
  const std::span<std::uint8_t> source = Memory(address, static_cast<std::uint32_t>(out.size()));
  if (source.empty() || source.size() != out.size()) return false;
  std::memcpy(out.data(), source.data(), out.size());
  return true;
}

bool Write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return true;
  const std::span<std::uint8_t> target = Memory(address, static_cast<std::uint32_t>(bytes.size()));
  if (target.empty() || target.size() != bytes.size()) return false;
  std::memcpy(target.data(), bytes.data(), bytes.size());
  return true;
}

std::optional<std::uint32_t> Read32(std::uint32_t address) {
  std::uint8_t bytes[4];
  if (!Read(address, bytes)) return std::nullopt;
  return Load32(bytes);
}

bool Write32(std::uint32_t address, std::uint32_t value) {
  std::uint8_t bytes[4];
  Store32(bytes, value);
  return Write(address, bytes);
}

std::uint64_t AllocatedBytes() {
  Engine* engine = TheEngine();
  return engine == nullptr ? 0 : engine->AllocatedBytes();
}

std::uint32_t AddStub(unsigned argumentCount, Convention convention, HostFunction function) {
  Engine* engine = TheEngine();
  return engine == nullptr ? 0 : engine->AddStub(argumentCount, convention, std::move(function));
}

bool ReplaceStub(std::uint32_t stub, unsigned argumentCount, Convention convention,
                 HostFunction function) {
  Engine* engine = TheEngine();
  return engine != nullptr &&
         engine->ReplaceStub(stub, argumentCount, convention, std::move(function));
}

std::optional<std::uint32_t> Call(std::uint32_t function,
                                  std::span<const std::uint32_t> arguments) {
  Engine* engine = TheEngine();
  if (engine == nullptr) return std::nullopt;
  return engine->Call(function, arguments);
}

void SetInstructionBudget(std::uint64_t instructions) {
  if (Engine* engine = TheEngine()) engine->SetBudget(instructions);
}

}  // namespace tuxia::guest
