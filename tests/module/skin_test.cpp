// The carried skin engine, loaded from its embedded image, reading skins in its ".SHE" format,
// and the start-up steps around it.
#include "module/skin.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "module/carried.h"
#include "module/memory_module.h"
#include "module/pe_writer.h"
#include "module/skin_host.h"
#include "platform/guest.h"

namespace tuxia {
namespace {

std::vector<std::uint32_t> Fields(const SkinLook& look) {
  return {look.window,    look.windowText,      look.base,
          look.text,      look.button,          look.buttonText,
          look.highlight, look.highlightedText, static_cast<std::uint32_t>(look.fontPointSize)};
}

// The look that the readable skin source describes, read here on its own.
SkinLook LookOfSkinSource() {
  std::map<std::string, std::uint32_t> values;
  std::ifstream in(TUXIA_SKIN_SOURCE);
  const std::regex line(R"(^(\w+)\s*=\s*(#?)([0-9A-Fa-f]+)\s*$)");
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (std::regex_match(text, m, line)) {
      values[m[1]] = static_cast<std::uint32_t>(std::stoul(m[3], nullptr, m[2].length() ? 16 : 10));
    }
  }
  SkinLook look;
  look.window = values.at("window");
  look.windowText = values.at("window_text");
  look.base = values.at("base");
  look.text = values.at("text");
  look.button = values.at("button");
  look.buttonText = values.at("button_text");
  look.highlight = values.at("highlight");
  look.highlightedText = values.at("highlighted_text");
  look.fontPointSize = static_cast<int>(values.at("font_size"));
  return look;
}

// A skin in guest memory, released at the end of the test.
class GuestSkin {
 public:
  explicit GuestSkin(const Bytes& bytes)
      : address_(guest::VirtualAlloc(
            0, static_cast<std::uint32_t>(std::max<std::size_t>(bytes.size(), 1)),
            guest::MEM_COMMIT | guest::MEM_RESERVE, guest::PAGE_READONLY)) {
    EXPECT_TRUE(guest::Write(address_, bytes));
  }
  GuestSkin(const GuestSkin&) = delete;
  GuestSkin& operator=(const GuestSkin&) = delete;
  ~GuestSkin() { guest::VirtualFree(address_, 0, guest::MEM_RELEASE); }
  std::int32_t address() const { return static_cast<std::int32_t>(address_); }

 private:
  std::uint32_t address_;
};

// A well-formed skin of these (role, value) entries, packed here as the format describes.
Bytes PackSkin(const std::vector<std::pair<std::uint16_t, std::uint32_t>>& entries) {
  Bytes skin = {'.', 'S', 'H', 'E', 1, 0, static_cast<std::uint8_t>(entries.size()), 0};
  const auto append32 = [&skin](std::uint32_t v) {
    const Bytes word = test::Le32(v);
    skin.insert(skin.end(), word.begin(), word.end());
  };
  Bytes body;
  for (const auto& [role, value] : entries) {
    const Bytes word = test::Le32(value);
    body.insert(body.end(), {static_cast<std::uint8_t>(role), 0, 0, 0});
    body.insert(body.end(), word.begin(), word.end());
  }
  std::uint32_t hash = 2166136261u;
  for (std::uint8_t b : body) hash = (hash ^ b) * 16777619u;
  append32(static_cast<std::uint32_t>(16 + body.size()));
  append32(hash);
  skin.insert(skin.end(), body.begin(), body.end());
  return skin;
}

const std::vector<std::pair<std::uint16_t, std::uint32_t>> kColours = {
    {1, 0x101010}, {2, 0x202020}, {3, 0x303030}, {4, 0x404040},
    {5, 0x505050}, {6, 0x606060}, {7, 0x707070}, {8, 0x808080}};

class SkinEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ProvideSkinHost());
    ASSERT_TRUE(engine_.LoadFromMemory({SkinEngineImage, SkinEngineImageLength}));
    attach_ = engine_.FindExport("SkinH_AttachRes");
    ASSERT_NE(attach_, 0u);
  }
  void TearDown() override { engine_.Unload(); }

  // Calls SkinH_AttachRes with `skin` in guest memory, `length` and the eight further arguments;
  // gives the look the engine set.
  std::optional<SkinLook> Attach(const Bytes& skin, std::int32_t length, std::int32_t reserved = 0,
                                 int reservedAt = 2) {
    const GuestSkin inGuest(skin);
    std::int32_t a[10] = {inGuest.address(), length};
    a[reservedAt] = reserved;
    ClearSkinLookRecord();
    const std::int32_t result =
        CallNative(attach_, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
    EXPECT_EQ(result, RecordedSkinLook() ? 1 : 0) << "the engine's answer matches what it did";
    return RecordedSkinLook();
  }
  std::optional<SkinLook> Attach(const Bytes& skin) {
    return Attach(skin, static_cast<std::int32_t>(skin.size()));
  }

  MemoryModule engine_;
  std::uint32_t attach_ = 0;
};

const Bytes kSkinData(SkinData, SkinData + SkinDataLength);

TEST_F(SkinEngine, TheCarriedSkinGivesTheLookOfItsReadableSource) {
  EXPECT_EQ(std::string(kSkinData.begin(), kSkinData.begin() + 4), ".SHE");
  const std::optional<SkinLook> look = Attach(kSkinData);
  ASSERT_TRUE(look);
  EXPECT_EQ(Fields(*look), Fields(LookOfSkinSource()));
  EXPECT_EQ(RecordedSkinCalls(), 9) << "eight colours and the font size, once each";
}

TEST_F(SkinEngine, ASkinWithoutFontSizeKeepsTheApplicationsSize) {
  const std::optional<SkinLook> look = Attach(PackSkin(kColours));
  ASSERT_TRUE(look);
  EXPECT_EQ(look->highlightedText, 0x808080u);
  EXPECT_EQ(look->fontPointSize, 0);
}

TEST_F(SkinEngine, EveryChangedByteOfTheCarriedSkinIsRefused) {
  for (std::size_t i = 0; i < kSkinData.size(); ++i) {
    Bytes skin = kSkinData;
    skin[i] ^= 0x5A;
    EXPECT_FALSE(Attach(skin)) << "byte " << i;
  }
}

TEST_F(SkinEngine, RefusesSkinsThatBreakTheFormat) {
  const auto with = [](std::vector<std::pair<std::uint16_t, std::uint32_t>> extra) {
    auto entries = kColours;
    entries.insert(entries.end(), extra.begin(), extra.end());
    return PackSkin(entries);
  };
  auto missing = kColours;
  missing.pop_back();
  const struct {
    const char* what;
    Bytes skin;
  } cases[] = {
      {"empty", {}},
      {"header only", Bytes(kSkinData.begin(), kSkinData.begin() + 16)},
      {"cut short", Bytes(kSkinData.begin(), kSkinData.end() - 8)},
      {"a colour role missing", PackSkin(missing)},
      {"a role twice", with({{3, 0x123456}})},
      {"unknown role", with({{10, 1}})},
      {"role 0", with({{0, 1}})},
      {"colour above 0xFFFFFF",
       PackSkin({{1, 0x1000000}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}})},
      {"font size too small", with({{9, 5}})},
      {"font size too large", with({{9, 73}})},
  };
  for (const auto& c : cases) EXPECT_FALSE(Attach(c.skin)) << c.what;
}

TEST_F(SkinEngine, RefusesAWrongLengthOrAReservedArgumentThatIsNotZero) {
  const auto length = static_cast<std::int32_t>(kSkinData.size());
  EXPECT_FALSE(Attach(kSkinData, length - 1));
  EXPECT_FALSE(Attach(kSkinData, length + 8));
  EXPECT_FALSE(Attach(kSkinData, 0));
  for (int at = 2; at < 10; ++at)
    EXPECT_FALSE(Attach(kSkinData, length, 1, at)) << "argument " << at + 1;
  ClearSkinLookRecord();
  EXPECT_EQ(CallNative(attach_, 0, length), 0) << "no skin address";
  EXPECT_FALSE(RecordedSkinLook());
}

TEST(SkinStartup, AttachesOnceLoadedAndCleanupLeavesTheEngineMapped) {
  SkinStartupFirstHalf();
  EXPECT_FALSE(SkinAttach()) << "the engine is not loaded yet";
  SkinStartupSecondHalf();
  const std::optional<SkinLook> look = SkinAttach();
  ASSERT_TRUE(look);
  EXPECT_EQ(Fields(*look), Fields(LookOfSkinSource()));
  EXPECT_EQ(RecordedSkinCalls(), 9);
  const std::uint64_t mapped = guest::AllocatedBytes();
  SkinCleanup();
  EXPECT_EQ(guest::AllocatedBytes(), mapped) << "cleanup does not unload the engine";
  EXPECT_FALSE(SkinAttach());
  SkinCleanup();
}

TEST(SkinStartup, WithoutTheSecondHalfThereIsNoLook) {
  EXPECT_FALSE(SkinAttach()) << "no instance at all";
  SkinStartupFirstHalf();
  EXPECT_FALSE(SkinAttach());
  SkinCleanup();
}

}  // namespace
}  // namespace tuxia
