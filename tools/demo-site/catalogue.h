#pragma once
// What the demo site holds: a token for every keyword, and for every token, category and page
// a list of materials with numeric ids and titles. Everything is derived from the inputs, so the
// same search always shows the same materials and different searches show different ones.
// Texts here are UTF-8; the pages convert them to the site's GBK.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

enum class Category { Element, Background, WordArt };

struct Material {
  long id = 0;
  std::string title;
};

// The search token of a keyword (its GBK bytes); the empty token for the empty keyword.
std::string TokenFor(std::string_view gbkKeyword);

// The keyword a token was made for (UTF-8, only its letters, digits and CJK characters); empty
// for a token this site never gave out.
std::string KeywordOf(std::string_view token);

// Page `page` (from 1) of a search; empty past the last page. Remembers every material's title
// so that its own pages show the same one.
std::vector<Material> Materials(Category category, std::string_view token, int page);
[[nodiscard]] int PageCount(std::string_view token);

// The title a listing gave the material, or one made from its id when no listing showed it.
std::string TitleOf(long id);

// Backgrounds whose page has vanished from the site (their picture lives on the fallback host).
[[nodiscard]] bool IsVanished(long id);
// Elements whose mobile page lacks the picture (the preview then finds it on the main page).
[[nodiscard]] bool LacksMobilePicture(long id);

}  // namespace demo
