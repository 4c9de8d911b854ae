#pragma once
// A home folder of its own for tests that touch the user's files: HOME and XDG_CONFIG_HOME point
// into a fresh temporary folder, which goes away with the object.
#include <filesystem>
#include <string>
#include <vector>

namespace tuxia::test {

class ScratchHome {
 public:
  ScratchHome();
  ~ScratchHome();
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return home_; }
  // Writes config/user-dirs.dirs naming the desktop folder, as written there ("$HOME/桌面").
  void NameDesktop(const std::string& value) const;

 private:
  std::filesystem::path home_;
};

[[nodiscard]] std::string FileContents(const std::filesystem::path& path);
[[nodiscard]] std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& folder);

}  // namespace tuxia::test
