#include "support/scratch_home.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace tuxia::test {

ScratchHome::ScratchHome() {
  std::string pattern = (fs::temp_directory_path() / "tuxia-home-XXXXXX").string();
  home_ = mkdtemp(pattern.data());
  fs::create_directories(home_ / "config");
  setenv("HOME", home_.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
}

ScratchHome::~ScratchHome() { fs::remove_all(home_); }

void ScratchHome::NameDesktop(const std::string& value) const {
  std::ofstream(home_ / "config" / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"" << value << "\"\n";
}

std::string FileContents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<fs::path> FolderEntries(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder)) entries.push_back(entry.path());
  return entries;
}

}  // namespace tuxia::test
