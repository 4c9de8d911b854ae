// The guest x86-32 layer: memory, calls into guest code, host stubs and host modules.
#include "platform/guest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/guest_modules.h"

namespace tuxia::guest {
namespace {

constexpr std::uint32_t kReserveCommit = MEM_COMMIT | MEM_RESERVE;

// Guest memory holding `code`; released by the test's end.
class GuestCode {
 public:
  explicit GuestCode(const std::vector<std::uint8_t>& code)
      : address_(VirtualAlloc(0, static_cast<std::uint32_t>(code.size()), kReserveCommit,
                              PAGE_EXECUTE_READWRITE)) {
    EXPECT_NE(address_, 0u);
    EXPECT_TRUE(Write(address_, code));
  }
  GuestCode(const GuestCode&) = delete;
  GuestCode& operator=(const GuestCode&) = delete;
  ~GuestCode() { VirtualFree(address_, 0, MEM_RELEASE); }
  std::uint32_t address() const { return address_; }

 private:
  std::uint32_t address_;
};

std::vector<std::uint8_t> Le32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::vector<std::uint8_t> kSubtractStdcall = {0x8B, 0x44, 0x24, 0x04,  // mov eax, [esp+4]
                                                    0x2B, 0x44, 0x24, 0x08,  // sub eax, [esp+8]
                                                    0xC2, 0x08, 0x00};       // ret 8
const std::vector<std::uint8_t> kStackPointer = {0x89, 0xE0, 0xC3};          // mov eax, esp; ret

TEST(GuestCall, StdcallResultAndStackPointerRestored) {
  GuestCode subtract(kSubtractStdcall);
  GuestCode stackPointer(kStackPointer);
  const std::optional<std::uint32_t> before = Call(stackPointer.address(), {});
  const std::uint32_t arguments[] = {50, 8};
  EXPECT_EQ(Call(subtract.address(), arguments), 42u);
  EXPECT_EQ(Call(stackPointer.address(), {}), before);
}

TEST(GuestCall, EndlessLoopStopsAtTheBudgetAndTheGuestStaysUsable) {
  GuestCode loop({0xEB, 0xFE});  // jmp $
  GuestCode subtract(kSubtractStdcall);
  SetInstructionBudget(100'000);
  EXPECT_EQ(Call(loop.address(), {}), std::nullopt);
  SetInstructionBudget(10'000'000);
  const std::uint32_t arguments[] = {3, 1};
  EXPECT_EQ(Call(subtract.address(), arguments), 2u);
}

TEST(GuestCall, FaultsGiveNoResult) {
  GuestCode unmappedRead({0xA1, 0x10, 0x00, 0x00, 0x00, 0xC3});  // mov eax, [0x10]
  GuestCode invalid({0x0F, 0x0B});                               // ud2
  EXPECT_EQ(Call(unmappedRead.address(), {}), std::nullopt);
  EXPECT_EQ(Call(invalid.address(), {}), std::nullopt);
  EXPECT_EQ(Call(0x10, {}), std::nullopt);
}

TEST(GuestMemory, AllocatesAtAFreeAddressAndRefusesATakenOne) {
  const std::uint64_t bytesBefore = AllocatedBytes();
  const std::uint32_t first = VirtualAlloc(0x50000000, 0x1800, kReserveCommit, PAGE_READWRITE);
  ASSERT_EQ(first, 0x50000000u);
  EXPECT_EQ(AllocatedBytes(), bytesBefore + 0x2000);
  EXPECT_EQ(VirtualAlloc(0x50001000, 0x1000, kReserveCommit, PAGE_READWRITE), 0u);
  const std::uint32_t anywhere = VirtualAlloc(0, 0x1000, kReserveCommit, PAGE_READWRITE);
  EXPECT_NE(anywhere, 0u);
  EXPECT_NE(anywhere, first);
  EXPECT_TRUE(VirtualFree(anywhere, 0, MEM_RELEASE));
  EXPECT_TRUE(VirtualFree(first, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(first, 0, MEM_RELEASE));
  EXPECT_EQ(AllocatedBytes(), bytesBefore);
  EXPECT_EQ(VirtualAlloc(0x50000000, 0x1000, kReserveCommit, PAGE_READWRITE), 0x50000000u);
  EXPECT_TRUE(VirtualFree(0x50000000, 0, MEM_RELEASE));
}

TEST(GuestMemory, RefusesWhatWindowsWouldNotGive) {
  struct Case {
    const char* what;
    std::uint32_t address, size, type, protect;
  } cases[] = {
      {"size 0", 0, 0, kReserveCommit, PAGE_READWRITE},
      {"first 64 KiB", 0x1000, 0x1000, kReserveCommit, PAGE_READWRITE},
      {"above user memory", 0x80000000, 0x1000, kReserveCommit, PAGE_READWRITE},
      {"crossing the top of user memory", 0x7FFC0000, 0x20000, kReserveCommit, PAGE_READWRITE},
      {"larger than the address space", 0, 0xFFFFF000, kReserveCommit, PAGE_READWRITE},
      {"reserve without commit", 0, 0x1000, MEM_RESERVE, PAGE_READWRITE},
      {"unknown protection", 0, 0x1000, kReserveCommit, 0x1234},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualAlloc(c.address, c.size, c.type, c.protect), 0u) << c.what;
  }
}

TEST(GuestMemory, ViewsStayInsideOneAllocationAndStartZeroed) {
  const std::uint32_t base = VirtualAlloc(0, 0x1000, kReserveCommit, PAGE_READWRITE);
  ASSERT_NE(base, 0u);
  const std::span<std::uint8_t> all = Memory(base, 0x1000);
  ASSERT_EQ(all.size(), 0x1000u);
  EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(Write32(base + 0xFFC, 0x11223344));
  EXPECT_EQ(all[0xFFC], 0x44);
  EXPECT_EQ(Read32(base + 0xFFC), 0x11223344u);
  EXPECT_EQ(Read32(base + 0xFFD), std::nullopt);
  EXPECT_FALSE(Write32(base + 0xFFE, 1));
  EXPECT_TRUE(Memory(base + 0x1000, 1).empty());
  EXPECT_TRUE(Memory(base + 0xFFF, 2).empty());
  EXPECT_TRUE(Memory(0xFFFFFFFF, 2).empty());
  EXPECT_TRUE(VirtualFree(base, 0, MEM_RELEASE));
  EXPECT_TRUE(Memory(base, 1).empty());
}

TEST(GuestMemory, NewCodeAtAReleasedAddressRunsInsteadOfTheOld) {
  std::uint32_t address = 0;
  {
    GuestCode first({0xB8, 0x01, 0x00, 0x00, 0x00, 0xC3});  // mov eax, 1; ret
    address = first.address();
    EXPECT_EQ(Call(address, {}), 1u);
  }
  GuestCode second({0xB8, 0x02, 0x00, 0x00, 0x00, 0xC3});  // mov eax, 2; ret
  ASSERT_EQ(second.address(), address);
  EXPECT_EQ(Call(address, {}), 2u);
}

// Guest code that calls `stub` with `arguments` (small numbers) and returns its result; for a
// cdecl stub it removes the arguments itself.
std::vector<std::uint8_t> CallerOf(std::uint32_t stub, Convention convention,
                                   std::vector<std::uint8_t> arguments) {
  std::vector<std::uint8_t> code;
  for (auto a = arguments.rbegin(); a != arguments.rend(); ++a) code.insert(code.end(), {0x6A, *a});
  code = Concat({code, {0xB8}, Le32(stub), {0xFF, 0xD0}});  // mov eax, stub; call eax
  if (convention == Convention::Cdecl) {
    code.insert(code.end(), {0x83, 0xC4, static_cast<std::uint8_t>(4 * arguments.size())});
  }
  code.push_back(0xC3);
  return code;
}

TEST(GuestStubs, HostFunctionsGetTheArgumentsAndGiveEaxInBothConventions) {
  for (Convention convention : {Convention::Stdcall, Convention::Cdecl}) {
    std::vector<std::uint32_t> seen;
    const std::uint32_t stub = AddStub(2, convention, [&seen](std::span<const std::uint32_t> a) {
      seen.assign(a.begin(), a.end());
      return a[0] * 100 + a[1];
    });
    ASSERT_NE(stub, 0u);
    GuestCode caller(CallerOf(stub, convention, {5, 7}));
    GuestCode stackPointer(kStackPointer);
    const std::optional<std::uint32_t> before = Call(stackPointer.address(), {});
    EXPECT_EQ(Call(caller.address(), {}), 507u);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{5, 7}));
    EXPECT_EQ(Call(stackPointer.address(), {}), before);
  }
}

TEST(GuestStubs, AReplacedStubRunsTheNewFunctionAndTheTrapRangeIsNotWritable) {
  const std::uint32_t stub = AddStub(2, Convention::Stdcall, [](auto) { return 1u; });
  ASSERT_TRUE(ReplaceStub(stub, 2, Convention::Stdcall, [](auto) { return 2u; }));
  GuestCode caller(CallerOf(stub, Convention::Stdcall, {5, 7}));
  EXPECT_EQ(Call(caller.address(), {}), 2u);
  EXPECT_FALSE(ReplaceStub(stub + 1, 0, Convention::Cdecl, [](auto) { return 0u; }));
  GuestCode overwrite(
      Concat({{0xC7, 0x05}, Le32(stub), Le32(0xC3C3C3C3), {0xC3}}));  // mov [stub], imm
  EXPECT_EQ(Call(overwrite.address(), {}), std::nullopt);
  EXPECT_EQ(Call(stub + 1, {}), std::nullopt);
}

TEST(HostModules, NamesCompareWithoutCaseAndWithTheDllSuffixOptional) {
  ASSERT_TRUE(ProvideHostModule("GuestTestOne.dll",
                                {{"Twice", 3, 1, Convention::Stdcall,
                                  [](std::span<const std::uint32_t> a) { return 2 * a[0]; }},
                                 {"Nameless", 0, 0, Convention::Cdecl, [](auto) { return 0u; }}}));
  EXPECT_EQ(GetModuleHandleA("guesttestone"), 0u) << "provided, not loaded yet";
  const std::uint32_t handle = LoadLibraryA("GUESTTESTONE");
  ASSERT_NE(handle, 0u);
  for (const char* name : {"guesttestone.dll", "GuestTestOne.DLL", "GUESTTESTONE"}) {
    EXPECT_EQ(GetModuleHandleA(name), handle) << name;
    EXPECT_EQ(LoadLibraryA(name), handle) << name;
  }
  for (const char* name : {"guesttestone.", "guesttestone.exe", "guesttest", "other.dll", ""}) {
    EXPECT_EQ(GetModuleHandleA(name), 0u) << name;
  }
  const std::uint32_t twice = GetProcAddress(handle, "Twice");
  ASSERT_NE(twice, 0u);
  EXPECT_EQ(GetProcAddress(handle, std::uint16_t{3}), twice);
  EXPECT_NE(GetProcAddress(handle, "Nameless"), 0u);
  EXPECT_EQ(GetProcAddress(handle, "twice"), 0u);
  EXPECT_EQ(GetProcAddress(handle, "Twic"), 0u);
  EXPECT_EQ(GetProcAddress(handle, "Missing"), 0u);
  EXPECT_EQ(GetProcAddress(handle, std::uint16_t{4}), 0u);
  EXPECT_EQ(GetProcAddress(handle + 1, "Twice"), 0u);
  GuestCode caller(CallerOf(twice, Convention::Stdcall, {21}));
  EXPECT_EQ(Call(caller.address(), {}), 42u);
}

}  // namespace
}  // namespace tuxia::guest
