// MemoryModule on PE32 images assembled by the test's image writer: header tests, mapping,
// relocation, imports, the entry point, unloading and export lookup.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "module/memory_module.h"
#include "module/pe_writer.h"
#include "platform/guest.h"
#include "platform/guest_modules.h"

namespace tuxia {
namespace {

using test::ImageWriter;
using test::kLfanew;
using test::put16;
using test::put32;
namespace nt = test::nt;

constexpr char kHost[] = "LoaderTest.dll";
constexpr std::uint16_t kSevenOrdinal = 7;

// What the host module saw: one entry per call of its Record export.
struct Recorded {
  std::vector<std::array<std::uint32_t, 3>> calls;
  std::uint32_t answer = 1;  // Record's result, and so DllMain's
};
Recorded recorded;

void ProvideLoaderTestHost() {
  using guest::Convention;
  ASSERT_TRUE(guest::ProvideHostModule(
      kHost, {{"Record", 0, 3, Convention::Stdcall,
               [](std::span<const std::uint32_t> a) {
                 recorded.calls.push_back({a[0], a[1], a[2]});
                 return recorded.answer;
               }},
              {"Seven", kSevenOrdinal, 0, Convention::Stdcall, [](auto) { return 7u; }}}));
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    ProvideLoaderTestHost();
    recorded = {};
    bytesBefore_ = guest::AllocatedBytes();
  }
  std::uint64_t GuestBytesAdded() const { return guest::AllocatedBytes() - bytesBefore_; }

  // The load fails, nothing stays mapped and the entry point never ran.
  void ExpectRefused(const Bytes& image, const char* what) const {
    MemoryModule module;
    EXPECT_FALSE(module.LoadFromMemory(image)) << what;
    EXPECT_EQ(module.GetLoadedBase(), 0u) << what;
    EXPECT_EQ(GuestBytesAdded(), 0u) << what;
    EXPECT_TRUE(recorded.calls.empty()) << what << ": the entry point must not run";
  }

 private:
  std::uint64_t bytesBefore_ = 0;
};

// DllMain that passes its three arguments to the host's Record through the import address
// table slot at `iatRva` and returns Record's answer. The call's absolute operand needs the
// relocation at kTextRva + kCallOperand.
constexpr std::uint32_t kCallOperand = 14;
Bytes ForwardingDllMain(std::uint32_t imageBase, std::uint32_t iatRva) {
  Bytes code = {0xFF, 0x74, 0x24, 0x0C,  // push [esp+12] (reserved)
                0xFF, 0x74, 0x24, 0x0C,  // push [esp+12] (reason)
                0xFF, 0x74, 0x24, 0x0C,  // push [esp+12] (module handle)
                0xFF, 0x15};             // call [iat]
  const Bytes operand = test::Le32(imageBase + iatRva);
  code.insert(code.end(), operand.begin(), operand.end());
  code.insert(code.end(), {0xC2, 0x0C, 0x00});  // ret 12
  return code;
}

ImageWriter RecordingDll() {
  ImageWriter writer;
  const std::uint32_t slot = writer.Import(kHost, "Record");
  writer.Code(ForwardingDllMain(writer.imageBase(), slot))
      .Relocation(test::kTextRva + kCallOperand);
  return writer;
}

using Mutation = std::function<void(Bytes&)>;

TEST_F(Loader, RefusesBadHeadersWithoutReservingMemory) {
  const Bytes good = ImageWriter().Build();
  const std::size_t h = kLfanew;
  const std::size_t firstSection = h + nt::SectionTable;
  struct Case {
    const char* what;
    Mutation mutate;
  } cases[] = {
      {"empty", [](Bytes& b) { b.clear(); }},
      {"shorter than the DOS header", [](Bytes& b) { b.resize(63); }},
      {"no MZ", [](Bytes& b) { put16(b, 0, 0x5A4E); }},
      {"NT headers past the end", [h](Bytes& b) { b.resize(h + 247); }},
      {"e_lfanew past the end", [](Bytes& b) { put32(b, 0x3C, 0x7FFFFFF0); }},
      {"negative e_lfanew", [](Bytes& b) { put32(b, 0x3C, 0xFFFFFFC0); }},
      {"no PE signature", [h](Bytes& b) { put32(b, h + nt::Signature, 0x00014550); }},
      {"not executable", [h](Bytes& b) { put16(b, h + nt::Characteristics, test::kFileDll); }},
      {"PE32+ optional header",
       [h](Bytes& b) {
         put16(b, h + nt::SizeOfOptionalHeader, 240);
         put16(b, h + nt::Magic, 0x020B);
       }},
      {"section data past the end",
       [&](Bytes& b) {
         put32(b, firstSection + test::section::SizeOfRawData,
               static_cast<std::uint32_t>(b.size()));
       }},
      {"section data offset wrapping 2^32",
       [&](Bytes& b) { put32(b, firstSection + test::section::PointerToRawData, 0xFFFFFE00); }},
      {"section table past the end", [h](Bytes& b) { put16(b, h + nt::NumberOfSections, 2000); }},
      {"SizeOfHeaders past the end",
       [h](Bytes& b) {
         put32(b, h + nt::SizeOfHeaders, static_cast<std::uint32_t>(b.size() + 1));
       }},
      {"SectionAlignment 0", [h](Bytes& b) { put32(b, h + nt::SectionAlignment, 0); }},
  };
  for (const Case& c : cases) {
    Bytes image = good;
    c.mutate(image);
    ExpectRefused(image, c.what);
  }
  MemoryModule module;
  EXPECT_TRUE(module.LoadFromMemory(good));
  module.Unload();
}

TEST_F(Loader, RefusesTablesThatPointOutsideTheImageAndReleasesItsMemory) {
  ImageWriter writer = RecordingDll();
  writer.ImportOrdinal(kHost, kSevenOrdinal);
  writer.Data(Bytes(16, 0)).Relocation(test::kDataRva);
  const Bytes good = writer.Build();
  const std::size_t h = kLfanew;
  const std::uint32_t firstBlock = writer.FileOffset(test::kRelocRva);
  const std::uint32_t firstDescriptor = writer.FileOffset(test::kImportsRva);
  const std::uint32_t firstSlot = writer.FileOffset(test::kIatRva);
  struct Case {
    const char* what;
    Mutation mutate;
  } cases[] = {
      {"relocation block of 4 bytes", [&](Bytes& b) { put32(b, firstBlock + 4, 4); }},
      {"relocation block past the directory", [&](Bytes& b) { put32(b, firstBlock + 4, 0x1000); }},
      {"relocation target outside the image", [&](Bytes& b) { put32(b, firstBlock, 0x7FFFF000); }},
      {"relocation directory outside the image",
       [&](Bytes& b) { put32(b, h + nt::DataDirectory + 8 * 5, 0x00F00000); }},
      {"import directory outside the image",
       [&](Bytes& b) { put32(b, h + nt::DataDirectory + 8 * 1, 0x00F00000); }},
      {"module name outside the image",
       [&](Bytes& b) { put32(b, firstDescriptor + 12, 0x00F00000); }},
      {"import address table outside the image",
       [&](Bytes& b) { put32(b, firstDescriptor + 16, 0xFFFFFFF0); }},
      {"function name outside the image", [&](Bytes& b) { put32(b, firstSlot, 0x00F00000); }},
      {"unknown module", [&](Bytes& b) { put32(b, firstDescriptor + 12, test::kTextRva + 1); }},
      {"unknown function", [&](Bytes& b) { put32(b, firstSlot, test::kTextRva); }},
      {"unknown ordinal", [&](Bytes& b) { put32(b, firstSlot + 4, 0x80000063); }},
  };
  for (const Case& c : cases) {
    Bytes image = good;
    c.mutate(image);
    ExpectRefused(image, c.what);
  }
}

TEST_F(Loader, DllMainGetsAttachAndDetachWithModuleHandleZero) {
  const ImageWriter writer = RecordingDll();
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(writer.Build()));
  EXPECT_EQ(module.GetLoadedBase(), writer.imageBase()) << "the preferred base was free";
  EXPECT_EQ(module.GetEntryPoint(), writer.imageBase() + test::kTextRva);
  using Call = std::array<std::uint32_t, 3>;
  EXPECT_EQ(recorded.calls, (std::vector<Call>{{0, 1, 0}}));
  module.Unload();
  EXPECT_EQ(recorded.calls, (std::vector<Call>{{0, 1, 0}, {0, 0, 0}}));
  EXPECT_EQ(module.GetLoadedBase(), 0u);
  EXPECT_EQ(module.GetEntryPoint(), 0u);
  EXPECT_EQ(GuestBytesAdded(), 0u);
  module.Unload();
  EXPECT_EQ(recorded.calls.size(), 2u) << "a second Unload does nothing";
}

TEST_F(Loader, DllMainReturningZeroGetsDetachAndTheLoadFails) {
  recorded.answer = 0;
  MemoryModule module;
  EXPECT_FALSE(module.LoadFromMemory(RecordingDll().Build()));
  using Call = std::array<std::uint32_t, 3>;
  EXPECT_EQ(recorded.calls, (std::vector<Call>{{0, 1, 0}, {0, 0, 0}}));
  EXPECT_EQ(module.GetLoadedBase(), 0u);
  EXPECT_EQ(GuestBytesAdded(), 0u);
}

TEST_F(Loader, ADllWithoutEntryPointLoadsWithoutACall) {
  Bytes image = RecordingDll().Build();
  put32(image, kLfanew + nt::AddressOfEntryPoint, 0);
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(image)) << "the start of the image is not called as code";
  module.Unload();
  EXPECT_TRUE(recorded.calls.empty());
  EXPECT_EQ(GuestBytesAdded(), 0u);
}

TEST_F(Loader, AFaultingDllMainFailsTheLoad) {
  MemoryModule module;
  EXPECT_FALSE(module.LoadFromMemory(ImageWriter().Code({0x0F, 0x0B}).Build()));  // ud2
  EXPECT_EQ(GuestBytesAdded(), 0u);
}

TEST_F(Loader, AnExecutableIsMappedAndLinkedButNotStarted) {
  ImageWriter writer = RecordingDll();
  const std::uint32_t seven = writer.ImportOrdinal(kHost, kSevenOrdinal);
  writer.Characteristics(test::kFileExecutable | test::kFile32Bit);
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(writer.Build()));
  EXPECT_TRUE(recorded.calls.empty());
  const std::uint32_t host = guest::GetModuleHandleA(kHost);
  EXPECT_EQ(guest::Read32(module.GetLoadedBase() + seven),
            guest::GetProcAddress(host, kSevenOrdinal));
  module.Unload();
  EXPECT_TRUE(recorded.calls.empty()) << "no detach call for an executable";
  EXPECT_EQ(GuestBytesAdded(), 0u);
}

TEST_F(Loader, ImportsByNameAndByOrdinalFillTheAddressTable) {
  ImageWriter writer = RecordingDll();
  const std::uint32_t seven = writer.ImportOrdinal(kHost, kSevenOrdinal);
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(writer.Build()));
  const std::uint32_t base = module.GetLoadedBase();
  const std::uint32_t host = guest::GetModuleHandleA(kHost);
  EXPECT_EQ(guest::Read32(base + test::kIatRva), guest::GetProcAddress(host, "Record"));
  EXPECT_EQ(guest::Read32(base + seven), guest::GetProcAddress(host, kSevenOrdinal));
  EXPECT_EQ(CallNative(*guest::Read32(base + seven)), 7);
  module.Unload();
}

TEST_F(Loader, AnImageWithoutImportsLoads) {
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(ImageWriter().Build()));
  module.Unload();
}

// Relocated values: the .data words below, each with a HIGHLOW entry except the last, which has
// a type 0 entry that must change nothing.
const std::uint32_t kValues[] = {0x10003000, 0x00001000, 0xFFFFFFF0, 0x7FFFFFFF, 0x12345678};

ImageWriter RelocatingDll() {
  ImageWriter writer = RecordingDll();
  Bytes data;
  for (std::uint32_t v : kValues) {
    const Bytes word = test::Le32(v);
    data.insert(data.end(), word.begin(), word.end());
  }
  writer.Data(data);
  for (std::uint32_t i = 0; i + 1 < std::size(kValues); ++i)
    writer.Relocation(test::kDataRva + 4 * i);
  writer.Relocation(test::kDataRva + 4 * (std::size(kValues) - 1), 0);
  return writer;
}

void ExpectRelocatedBy(std::uint32_t base, std::uint32_t delta) {
  for (std::uint32_t i = 0; i < std::size(kValues); ++i) {
    const std::uint32_t expected = i + 1 < std::size(kValues) ? kValues[i] + delta : kValues[i];
    EXPECT_EQ(guest::Read32(base + test::kDataRva + 4 * i), expected) << "word " << i;
  }
}

TEST_F(Loader, RelocationAtThePreferredBaseLeavesValuesAsTheyAre) {
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(RelocatingDll().Build()));
  ASSERT_EQ(module.GetLoadedBase(), RelocatingDll().imageBase());
  ExpectRelocatedBy(module.GetLoadedBase(), 0);
  module.Unload();
}

// Guest memory held for the length of a test.
class Held {
 public:
  explicit Held(std::uint32_t at)
      : address_(guest::VirtualAlloc(at, 0x1000, guest::MEM_COMMIT | guest::MEM_RESERVE,
                                     guest::PAGE_READWRITE)) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() { guest::VirtualFree(address_, 0, guest::MEM_RELEASE); }
  std::uint32_t address() const { return address_; }

 private:
  std::uint32_t address_;
};

TEST_F(Loader, RelocationElsewhereAddsTheDeltaModulo2To32) {
  const ImageWriter writer = RelocatingDll();
  const Held preferred(writer.imageBase());
  ASSERT_EQ(preferred.address(), writer.imageBase());
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(writer.Build())) << "DllMain's call goes through a relocation";
  const std::uint32_t base = module.GetLoadedBase();
  ASSERT_NE(base, writer.imageBase());
  ASSERT_LT(base, writer.imageBase()) << "so that adding the delta wraps";
  ExpectRelocatedBy(base, base - writer.imageBase());
  module.Unload();
}

TEST_F(Loader, ComputeImageSizeTakesTheFurthestSectionEnd) {
  Bytes image = ImageWriter().Data(Bytes(0x1000, 0x90)).Build();
  const std::size_t h = kLfanew;
  const std::size_t data = h + nt::SectionTable + 40;
  put32(image, h + nt::SizeOfHeaders, 0x1000);
  put32(image, data + test::section::VirtualAddress, 0x3D000);
  put32(image, data + test::section::VirtualSize, 0x1000);
  put32(image, data + test::section::SizeOfRawData, 0xA00);
  MemoryModule module;
  ASSERT_TRUE(module.ParseHeaders(image));
  EXPECT_EQ(module.ComputeImageSize(), 0x3E000u);
}

TEST(AlignUp, GivesTheSmallestMultipleNotBelow) {
  const struct {
    std::uint64_t value;
    std::uint32_t alignment;
    std::uint64_t expected;
  } cases[] = {{0, 0x1000, 0},
               {1, 0x1000, 0x1000},
               {0x1000, 0x1000, 0x1000},
               {0x1001, 0x200, 0x1200},
               {0xFFFFFFFF, 0x1000, 1ull << 32},
               {7, 1, 7},
               {5, 0, 0}};
  const MemoryModule module;
  for (const auto& c : cases)
    EXPECT_EQ(module.AlignUp(c.value, c.alignment), c.expected) << c.value;
}

TEST_F(Loader, ASecondLoadFailsAndTheFirstImageStaysUsable) {
  ImageWriter writer;
  writer.Export("Answer", test::kTextRva + 8)
      .Code({0xB8, 0x01, 0x00, 0x00, 0x00, 0xC2, 0x0C, 0x00,  // DllMain: mov eax, 1; ret 12
             0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3});            // Answer: mov eax, 42; ret
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(writer.Build()));
  const std::uint32_t base = module.GetLoadedBase();
  EXPECT_FALSE(module.LoadFromMemory(writer.Build()));
  EXPECT_FALSE(module.LoadFromMemory(RecordingDll().Build()));
  EXPECT_TRUE(recorded.calls.empty());
  EXPECT_EQ(module.GetLoadedBase(), base);
  EXPECT_EQ(CallNative(module.FindExport("Answer")), 42);
  module.Unload();
}

TEST_F(Loader, DestroyLeavesTheImageMappedAndCopySharesIt) {
  MemoryModule module;
  ASSERT_TRUE(module.LoadFromMemory(RecordingDll().Build()));
  const std::uint32_t base = module.GetLoadedBase();
  const std::unique_ptr<MemoryModule> copy = module.Copy();
  EXPECT_EQ(copy->GetLoadedBase(), base);
  EXPECT_EQ(copy->GetEntryPoint(), module.GetEntryPoint());
  module.Destroy();
  EXPECT_EQ(recorded.calls.size(), 1u) << "no detach call";
  EXPECT_EQ(guest::Read32(base), test::get32(RecordingDll().Build(), 0))
      << "the headers stay mapped";
  copy->Unload();
  EXPECT_EQ(recorded.calls.size(), 2u);
  EXPECT_EQ(GuestBytesAdded(), 0u);
}

}  // namespace
}  // namespace tuxia
