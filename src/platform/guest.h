#pragma once
// The process's 32-bit x86 guest: an address space run by the Unicorn CPU emulator in which
// in-memory modules live and run. Guest memory is backed by host memory and reached from the
// host only through the bounds-checked views below. Guest code reaches host functions through
// stub addresses in a trap range. One guest exists per process, made at first use; it is used
// from one thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace tuxia::guest {

// Flags of VirtualAlloc / VirtualFree as Windows numbers them.
inline constexpr std::uint32_t MEM_COMMIT = 0x1000;
inline constexpr std::uint32_t MEM_RESERVE = 0x2000;
inline constexpr std::uint32_t MEM_RELEASE = 0x8000;
inline constexpr std::uint32_t PAGE_READONLY = 0x02;
inline constexpr std::uint32_t PAGE_READWRITE = 0x04;
inline constexpr std::uint32_t PAGE_EXECUTE_READ = 0x20;
inline constexpr std::uint32_t PAGE_EXECUTE_READWRITE = 0x40;

// Zero-filled guest memory of at least `size` bytes (MEM_COMMIT | MEM_RESERVE). At `address`
// (rounded down to 64 KiB) when that range is free, else 0; with address 0, anywhere. 0 when the
// guest has no room or the flags are not supported.
std::uint32_t VirtualAlloc(std::uint32_t address, std::uint32_t size, std::uint32_t allocationType,
                           std::uint32_t protect);
// Releases a whole allocation (MEM_RELEASE, size 0, its base address); false otherwise.
bool VirtualFree(std::uint32_t address, std::uint32_t size, std::uint32_t freeType);

// Host view of [address, address + size) when it lies inside one allocation; empty otherwise
// (and for size 0). Valid until that allocation is released.
std::span<std::uint8_t> Memory(std::uint32_t address, std::uint32_t size);
bool Read(std::uint32_t address, std::span<std::uint8_t> out);
bool Write(std::uint32_t address, std::span<const std::uint8_t> bytes);
std::optional<std::uint32_t> Read32(std::uint32_t address);
bool Write32(std::uint32_t address, std::uint32_t value);
// Bytes held by all allocations, the guest's own stack included.
std::uint64_t AllocatedBytes();

enum class Convention { Stdcall, Cdecl };
// A host function that guest code calls; it receives the call's 32-bit arguments and gives EAX.
using HostFunction = std::function<std::uint32_t(std::span<const std::uint32_t> arguments)>;

// A new stub address whose call from guest code runs `function` with `argumentCount` arguments
// (a stdcall stub removes them from the stack on return); 0 when the trap range is full.
std::uint32_t AddStub(unsigned argumentCount, Convention convention, HostFunction function);
// Gives an existing stub another function; false when `stub` is not a stub address.
bool ReplaceStub(std::uint32_t stub, unsigned argumentCount, Convention convention,
                 HostFunction function);

// Runs guest code from `function` with the arguments pushed as for stdcall and cdecl (first
// argument lowest) and a return address at which the run stops. The stack pointer is restored
// afterwards whatever the callee removed. Gives EAX; nothing when the code faults, runs past the
// instruction budget, or a call is already running.
std::optional<std::uint32_t> Call(std::uint32_t function, std::span<const std::uint32_t> arguments);
// Instructions one Call may run (10 million unless changed).
void SetInstructionBudget(std::uint64_t instructions);

}  // namespace tuxia::guest
