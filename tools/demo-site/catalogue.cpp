#include "catalogue.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "encoding.h"

namespace demo {
namespace {

// FNV-1a: a stable spread of ids, counts and words from the inputs.
std::uint64_t Hash(std::string_view text, std::uint64_t seed = 14695981039346656037ull) {
  std::uint64_t hash = seed;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::uint64_t Hash(Category category, std::string_view token, int page = 0) {
  const std::string key = std::to_string(static_cast<int>(category)) + "|" + std::string(token) +
                          "|" + std::to_string(page);
  return Hash(key);
}

constexpr std::array<const char*, 10> kStyles = {"手绘", "卡通", "简约", "水彩", "复古",
                                                 "立体", "扁平", "国潮", "清新", "金色"};
constexpr std::array<const char*, 10> kElements = {"花朵装饰", "边框", "图标", "插画", "标签",
                                                   "气球",     "彩带", "星星", "树叶", "灯笼"};
constexpr std::array<const char*, 10> kBackgrounds = {
    "星空",     "渐变",   "水墨山水", "科技线条", "粉色温馨",
    "夏日海滩", "中国风", "商务",     "几何",     "秋天落叶"};
constexpr std::array<const char*, 6> kWordArts = {"毛笔字", "立体字", "艺术字体",
                                                  "金属字", "卡通字", "描边字"};

struct Store {
  std::mutex mutex;
  std::unordered_map<std::string, std::string> keywords;  // token -> UTF-8 keyword
  std::unordered_map<long, std::string> titles;           // id -> UTF-8 title
};

Store& TheStore() {
  static Store store;
  return store;
}

// The keyword as it may stand in a title: letters, digits and CJK characters, at most 8.
std::string TitleWord(std::string_view gbkKeyword) {
  const std::string utf8 = GbkToUtf8(gbkKeyword);
  std::string word;
  int characters = 0;
  for (std::size_t i = 0; i < utf8.size() && characters < 8;) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const bool keep = lead >= 0x80 || std::isalnum(lead);
    if (keep) word.append(utf8, i, length), ++characters;
    i += length;
  }
  return word;
}

std::string MakeTitle(Category category, std::string_view keyword, long id) {
  const std::uint64_t hash = Hash(std::to_string(id));
  const std::string style = kStyles[hash % kStyles.size()];
  switch (category) {
    case Category::Element:
      return std::string(keyword) + style + kElements[(hash / 16) % kElements.size()];
    case Category::Background:
      return std::string(keyword) + style + kBackgrounds[(hash / 16) % kBackgrounds.size()];
    case Category::WordArt:
      return std::string(keyword) + style + kWordArts[(hash / 16) % kWordArts.size()];
  }
  return {};
}

}  // namespace

std::string TokenFor(std::string_view gbkKeyword) {
  if (gbkKeyword.empty()) return {};
  char token[16];
  std::snprintf(token, sizeof token, "so%08llx",
                static_cast<unsigned long long>(Hash(gbkKeyword) & 0xFFFFFFFFull));
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  store.keywords[token] = TitleWord(gbkKeyword);
  return token;
}

std::string KeywordOf(std::string_view token) {
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  const auto found = store.keywords.find(std::string(token));
  return found == store.keywords.end() ? std::string() : found->second;
}

int PageCount(std::string_view token) {
  return token.empty() ? 3 : 3 + static_cast<int>(Hash(token) % 5);
}

std::vector<Material> Materials(Category category, std::string_view token, int page) {
  if (page < 1 || page > PageCount(token)) return {};
  const std::string keyword = KeywordOf(token);
  const long first = 100000 + static_cast<long>(Hash(category, token) % 800000) + (page - 1) * 60;
  const int count = 40 + static_cast<int>(Hash(category, token, page) % 9);
  std::vector<Material> materials;
  for (int n = 0; n < count; ++n) {
    const long id = first + n;
    materials.push_back({id, MakeTitle(category, keyword, id)});
  }
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  for (const Material& material : materials) store.titles[material.id] = material.title;
  return materials;
}

std::string TitleOf(long id) {
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  const auto found = store.titles.find(id);
  return found == store.titles.end() ? "素材" + std::to_string(id) : found->second;
}

bool IsVanished(long id) { return id % 6 == 2; }

bool LacksMobilePicture(long id) { return id % 5 == 3; }

}  // namespace demo
