#pragma once
// The two arrays the program carries: the skin engine's DLL image and the skin. Both are made at
// build time (from skin_engine/) and are never written to a file.
#include <cstddef>

namespace tuxia {

extern const unsigned char SkinEngineImage[];
extern const std::size_t SkinEngineImageLength;
extern const unsigned char SkinData[];
extern const std::size_t SkinDataLength;

}  // namespace tuxia
