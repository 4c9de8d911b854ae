// FindExport on images from the test's image writer: exact names only, the function reached
// through the name-ordinal table, and 0 for everything else.
#include <gtest/gtest.h>

#include "module/memory_module.h"
#include "module/pe_writer.h"
#include "platform/guest.h"

namespace tuxia {
namespace {

using test::ImageWriter;

// Functions in the order Zeta, Alpha, AlphaBeta; the writer sorts the names, so name 0 (Alpha)
// maps to function 1, name 1 (AlphaBeta) to function 2 and name 2 (Zeta) to function 0.
ImageWriter ExportingDll() {
  ImageWriter writer;
  writer.Export("Zeta", 0x1010).Export("Alpha", 0x1020).Export("AlphaBeta", 0x1030);
  return writer;
}

class Exports : public ::testing::Test {
 protected:
  // Loads `image` into module_; false when it does not load.
  bool Load(const Bytes& image) { return module_.LoadFromMemory(image); }
  void TearDown() override { module_.Unload(); }
  MemoryModule module_;
};

TEST_F(Exports, ExactNamesFindTheirFunctionsThroughTheOrdinalTable) {
  ASSERT_TRUE(Load(ExportingDll().Build()));
  const std::uint32_t base = module_.GetLoadedBase();
  const struct {
    const char* name;
    std::uint32_t expected;  // 0: not found
  } cases[] = {
      {"Alpha", base + 0x1020},
      {"AlphaBeta", base + 0x1030},
      {"Zeta", base + 0x1010},
      {"alpha", 0},  // case counts
      {"ZETA", 0},
      {"Alph", 0},  // a prefix of an export
      {"AlphaB", 0},
      {"AlphaBetaGamma", 0},  // an export is a prefix of it
      {"Zeta ", 0},
      {"", 0},
      {"test.dll", 0},  // the module's own name is not an export
  };
  for (const auto& c : cases) EXPECT_EQ(module_.FindExport(c.name), c.expected) << c.name;
}

TEST_F(Exports, NothingIsFoundWithoutALoadedImage) {
  EXPECT_EQ(module_.FindExport("Alpha"), 0u) << "new instance";
  ASSERT_TRUE(Load(ExportingDll().Build()));
  module_.Unload();
  EXPECT_EQ(module_.FindExport("Alpha"), 0u) << "unloaded";
}

TEST_F(Exports, AnImageWithoutExportsFindsNothing) {
  ASSERT_TRUE(Load(ImageWriter().Build()));
  EXPECT_EQ(module_.FindExport("Alpha"), 0u);
}

TEST_F(Exports, MalformedExportTablesFindNothing) {
  const ImageWriter writer = ExportingDll();
  const std::uint32_t directory = writer.FileOffset(test::kExportsRva);
  const std::uint32_t names = writer.FileOffset(test::kExportsRva + 40 + 4 * 3);
  const std::uint32_t ordinals = writer.FileOffset(test::kExportsRva + 40 + 8 * 3);
  const struct {
    const char* what;
    std::uint32_t offset, value;
    const char* lookup;
  } cases[] = {
      {"no names", directory + test::exports::NumberOfNames, 0, "Alpha"},
      {"ordinal past the function table", ordinals, 3, "Alpha"},
      {"function table past the image", directory + test::exports::NumberOfFunctions, 0x40000000,
       "Alpha"},
      {"name table outside the image", directory + test::exports::AddressOfNames, 0x00F00000,
       "Alpha"},
      {"first name outside the image", names, 0x00F00000, "Alpha"},
      {"more names than the table holds", directory + test::exports::NumberOfNames, 0xFFFFFFFF,
       "Missing"},
      {"directory outside the image", test::kLfanew + test::nt::DataDirectory, 0x00F00000, "Alpha"},
  };
  for (const auto& c : cases) {
    Bytes image = writer.Build();
    test::put32(image, c.offset, c.value);
    MemoryModule module;
    ASSERT_TRUE(module.LoadFromMemory(image)) << c.what;
    EXPECT_EQ(module.FindExport(c.lookup), 0u) << c.what;
    module.Unload();
  }
}

}  // namespace
}  // namespace tuxia
