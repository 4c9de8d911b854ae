#include "module/skin_host.h"

#include "module/skin_engine/skin_format.h"
#include "platform/guest_modules.h"

namespace tuxia {
namespace {

struct Record {
  SkinLook look;
  int calls = 0;
};

Record& TheRecord() {
  static Record record;
  return record;
}

std::uint32_t* ColourOf(SkinLook& look, std::uint32_t role) {
  switch (role) {
    case SKIN_ROLE_WINDOW:
      return &look.window;
    case SKIN_ROLE_WINDOW_TEXT:
      return &look.windowText;
    case SKIN_ROLE_BASE:
      return &look.base;
    case SKIN_ROLE_TEXT:
      return &look.text;
    case SKIN_ROLE_BUTTON:
      return &look.button;
    case SKIN_ROLE_BUTTON_TEXT:
      return &look.buttonText;
    case SKIN_ROLE_HIGHLIGHT:
      return &look.highlight;
    case SKIN_ROLE_HIGHLIGHTED_TEXT:
      return &look.highlightedText;
    default:
      return nullptr;
  }
}

// Both give 1 when the value was taken, 0 when it was not.
std::uint32_t SetSkinColor(std::span<const std::uint32_t> arguments) {
  Record& record = TheRecord();
  ++record.calls;
  std::uint32_t* colour = ColourOf(record.look, arguments[0]);
  if (colour == nullptr || arguments[1] > 0xFFFFFF) return 0;
  *colour = arguments[1];
  return 1;
}

std::uint32_t SetSkinFontSize(std::span<const std::uint32_t> arguments) {
  Record& record = TheRecord();
  ++record.calls;
  if (arguments[0] < SKIN_FONT_SIZE_MIN || arguments[0] > SKIN_FONT_SIZE_MAX) return 0;
  record.look.fontPointSize = static_cast<int>(arguments[0]);
  return 1;
}

}  // namespace

bool ProvideSkinHost() {
  using guest::Convention;
  return guest::ProvideHostModule(
      kSkinHostModule, {{"SetSkinColor", 1, 2, Convention::Stdcall, SetSkinColor},
                        {"SetSkinFontSize", 2, 1, Convention::Stdcall, SetSkinFontSize}});
}

void ClearSkinLookRecord() { TheRecord() = {}; }

std::optional<SkinLook> RecordedSkinLook() {
  const Record& record = TheRecord();
  if (record.calls == 0) return std::nullopt;
  return record.look;
}

int RecordedSkinCalls() { return TheRecord().calls; }

}  // namespace tuxia
