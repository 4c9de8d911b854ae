#pragma once
// The site's pictures, drawn on first request and kept: transparent PNG elements and word art,
// JPEG backgrounds and views, each material's in its own colours and size.
#include <optional>
#include <string>
#include <string_view>

namespace demo {

// The file under /img/<folder>/<name>, e.g. "sucai", "123456.png"; none for an unknown name.
std::optional<std::string> PictureFile(std::string_view folder, std::string_view name);

}  // namespace demo
