// MemoryModule and CallNative on calls.dll, which the i686 mingw-w64 compiler builds from
// dlls/calls.c at build time. Exports, relocations and section places are checked against what
// `i686-w64-mingw32-objdump -p -h` reports for the same file (also made at build time).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "module/memory_module.h"
#include "module/pe_writer.h"
#include "platform/guest.h"
#include "platform/guest_modules.h"
#include "text/types.h"

namespace tuxia {
namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes CallsDll() {
  const std::string text = ReadFile(TUXIA_CALLS_DLL);
  return Bytes(text.begin(), text.end());
}

// What objdump says about calls.dll.
struct Objdump {
  std::uint32_t imageBase = 0;
  std::map<std::string, std::uint32_t> exports;  // name -> RVA
  std::vector<std::uint32_t> highLow;            // RVAs of the HIGHLOW relocations
  struct Section {
    std::string name;
    std::uint32_t rva, size, fileOffset;
  };
  std::vector<Section> sections;
};

Objdump ReadObjdump() {
  Objdump report;
  std::map<std::uint32_t, std::uint32_t> functions;  // index -> RVA
  std::vector<std::pair<std::uint32_t, std::string>> names;
  const std::regex imageBase(R"(^ImageBase\s+([0-9a-f]+))");
  const std::regex function(R"(^\s*\[\s*(\d+)\] \+base\[\s*\d+\] ([0-9a-f]+) Export RVA)");
  const std::regex name(R"(^\s*\[\s*(\d+)\] (\w+)$)");
  const std::regex reloc(R"(^\s*reloc\s+\d+ offset\s+[0-9a-f]+ \[([0-9a-f]+)\] HIGHLOW)");
  const std::regex section(
      R"(^\s*\d+ (\S+)\s+([0-9a-f]{8})\s+([0-9a-f]{8})\s+[0-9a-f]{8}\s+([0-9a-f]{8}))");
  std::istringstream in(ReadFile(TUXIA_CALLS_OBJDUMP));
  const auto hex = [](const std::ssub_match& m) {
    return static_cast<std::uint32_t>(std::stoul(m.str(), nullptr, 16));
  };
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, imageBase)) {
      report.imageBase = hex(m[1]);
    } else if (std::regex_search(line, m, function)) {
      functions[std::stoul(m[1].str())] = hex(m[2]);
    } else if (std::regex_search(line, m, name)) {
      names.emplace_back(std::stoul(m[1].str()), m[2].str());
    } else if (std::regex_search(line, m, reloc)) {
      report.highLow.push_back(hex(m[1]));
    } else if (std::regex_search(line, m, section)) {
      report.sections.push_back({m[1].str(), hex(m[3]) - report.imageBase, hex(m[2]), hex(m[4])});
    }
  }
  for (const auto& [index, exportName] : names) report.exports[exportName] = functions.at(index);
  return report;
}

class RealDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    using guest::Convention;
    ASSERT_TRUE(guest::ProvideHostModule(
        "tuxiatest.dll",
        {{"HostTwice", 0, 1, Convention::Stdcall, [](auto a) { return 2 * a[0]; }},
         {"HostThrice", 7, 1, Convention::Stdcall, [](auto a) { return 3 * a[0]; }}}));
  }
  void SetUp() override {
    report_ = ReadObjdump();
    ASSERT_EQ(report_.exports.size(), 14u);
    ASSERT_FALSE(report_.highLow.empty());
    ASSERT_TRUE(module_.LoadFromMemory(CallsDll()));
  }
  void TearDown() override { module_.Unload(); }

  std::int32_t Call(const char* name, std::int32_t a1 = 0, std::int32_t a2 = 0) {
    const std::uint32_t address = module_.FindExport(name);
    EXPECT_NE(address, 0u) << name;
    return CallNative(address, a1, a2);
  }

  Objdump report_;
  MemoryModule module_;
};

TEST_F(RealDll, EveryExportIsFoundWhereObjdumpPutsIt) {
  ASSERT_EQ(module_.GetLoadedBase(), report_.imageBase) << "the preferred base was free";
  for (const auto& [name, rva] : report_.exports) {
    EXPECT_EQ(module_.FindExport(name), report_.imageBase + rva) << name;
  }
}

TEST_F(RealDll, AtThePreferredBaseTheMappedSectionsEqualTheFile) {
  const Bytes file = CallsDll();
  ASSERT_GE(report_.sections.size(), 6u);
  for (const Objdump::Section& s : report_.sections) {
    // The import section holds the address table, which the loader fills; uninitialised data
    // has no bytes in the file.
    if (s.name == ".idata" || s.name == ".bss") continue;
    const std::span<std::uint8_t> mapped = guest::Memory(module_.GetLoadedBase() + s.rva, s.size);
    ASSERT_EQ(mapped.size(), s.size) << s.name;
    EXPECT_TRUE(std::equal(mapped.begin(), mapped.end(), file.begin() + s.fileOffset)) << s.name;
  }
}

TEST_F(RealDll, ElsewhereEveryHighLowWordGrowsByTheDeltaAndNothingElseChanges) {
  MemoryModule moved;
  ASSERT_TRUE(moved.LoadFromMemory(CallsDll())) << "the first copy holds the preferred base";
  const std::uint32_t here = module_.GetLoadedBase();
  const std::uint32_t there = moved.GetLoadedBase();
  ASSERT_NE(there, here);
  const std::uint32_t size = moved.ComputeImageSize();
  Bytes expected(guest::Memory(here, size).begin(), guest::Memory(here, size).end());
  for (std::uint32_t rva : report_.highLow) {
    test::put32(expected, rva, test::get32(expected, rva) + (there - here));
  }
  const std::span<std::uint8_t> actual = guest::Memory(there, size);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), actual.begin(), actual.end()));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(CallNative(moved.FindExport("NumberThroughPointer"), i), 44 - 11 * i);
  }
  moved.Unload();
}

TEST_F(RealDll, DllMainWasGivenModuleHandleZero) { EXPECT_EQ(Call("HandleSeenByDllMain"), 0); }

TEST_F(RealDll, ImportsByNameAndByOrdinalReachTheHostModule) {
  EXPECT_EQ(Call("UseHost", 5), 2 * 5 + 3 * 5);
}

TEST_F(RealDll, CallNativeGivesTheResultAndLeavesTheStackBalanced) {
  // Each function gives 1000 * (its number of arguments) + the sum of (i + 1) * argument i.
  const std::int32_t arguments[10] = {7, -3, 100, 0x10000, -70000, 5, 6, 0x7FFFFFF, 9, -1};
  const struct {
    const char* name;
    int count;
  } functions[] = {{"Stdcall0", 0},   {"Stdcall1", 1}, {"Stdcall2", 2}, {"Stdcall3", 3},
                   {"Stdcall10", 10}, {"Cdecl0", 0},   {"Cdecl1", 1},   {"Cdecl2", 2},
                   {"Cdecl3", 3},     {"Cdecl10", 10}};
  const std::int32_t stack = Call("StackPointer");
  for (const auto& f : functions) {
    std::uint32_t expected = 1000u * f.count;
    for (int i = 0; i < f.count; ++i)
      expected += (i + 1) * static_cast<std::uint32_t>(arguments[i]);
    const auto& a = arguments;
    EXPECT_EQ(CallNative(module_.FindExport(f.name), a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7],
                         a[8], a[9]),
              static_cast<std::int32_t>(expected))
        << f.name;
    EXPECT_EQ(Call("StackPointer"), stack) << "after " << f.name;
  }
  EXPECT_EQ(CallNative(module_.FindExport("Stdcall2"), 40), 2040) << "left-out arguments are 0";
}

}  // namespace
}  // namespace tuxia
