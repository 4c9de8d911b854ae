#pragma once
// The carried skin engine and skin. Start-up loads the engine into SkinModule; once the main
// window exists SkinAttach hands it the skin, and the engine reports the look it wants through
// the host module the program gives it.
#include <cstdint>
#include <optional>

namespace tuxia {

// Colours as 0xRRGGBB.
struct SkinLook {
  std::uint32_t window = 0;
  std::uint32_t windowText = 0;
  std::uint32_t base = 0;  // list and edit box background
  std::uint32_t text = 0;
  std::uint32_t button = 0;
  std::uint32_t buttonText = 0;
  std::uint32_t highlight = 0;
  std::uint32_t highlightedText = 0;
  int fontPointSize = 0;  // 0: keep the application's size
};

void SkinStartupFirstHalf();   // SkinModule created, empty
void SkinStartupSecondHalf();  // the engine image loaded into it; the result is not looked at
// Calls the engine's SkinH_AttachRes once with the skin; gives the look the engine set, or
// nothing when the engine is not loaded or set nothing.
std::optional<SkinLook> SkinAttach();
void SkinCleanup();  // destroys SkinModule without unloading the engine

}  // namespace tuxia
