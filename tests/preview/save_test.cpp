// Saving the shown picture: its name, the desktop folder it goes to, and a write that replaces
// a file whole or not at all.
#include "preview/save.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QImage>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/shell/image_check.h"
#include "platform/shell/shell.h"
#include "preview/preview.h"
#include "support/memory_controls.h"
#include "support/scratch_home.h"

namespace tuxia {
namespace {

namespace fs = std::filesystem;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Encoded(const char* format, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return Bytes(data.begin(), data.end());
}

// Each test in a home folder of its own, whose XDG configuration names the desktop folder.
class TemporaryHome : public ::testing::Test {
 protected:
  void NameDesktop(const std::string& value) { scratch.NameDesktop(value); }

  test::ScratchHome scratch;
  const fs::path& home = scratch.Path();
};

TEST(Md5HexTest, GivesTheRfc1321Digests) {
  const struct {
    std::string input;
    std::string digest;
  } cases[] = {
      // The test suite of RFC 1321, appendix A.5.
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5Hex(BytesOf(c.input)), c.digest) << c.input;
}

using WriteFileBytesTest = TemporaryHome;

TEST_F(WriteFileBytesTest, WritesTheNonEmptyPartsInOrder) {
  const fs::path path = home / "out.png";
  const Bytes first = BytesOf("ab"), none, second = BytesOf(std::string("c\0d", 3));
  EXPECT_TRUE(WriteFileBytes(path.string(), {first, none, second}));
  EXPECT_EQ(test::FileContents(path), std::string("abc\0d", 5));
  EXPECT_TRUE(WriteFileBytes((home / "empty.png").string(), {none}));
  EXPECT_EQ(fs::file_size(home / "empty.png"), 0u);
}

TEST_F(WriteFileBytesTest, ReplacesAnExistingFileWhole) {
  const fs::path path = home / "out.png";
  std::ofstream(path) << "an older and longer content";
  EXPECT_TRUE(WriteFileBytes(path.string(), {BytesOf("new")}));
  EXPECT_EQ(test::FileContents(path), "new");
  EXPECT_EQ(test::FolderEntries(home).size(), 2u);  // the file and config/, no temporary left
}

TEST_F(WriteFileBytesTest, FailsWithoutLeavingAnythingBehind) {
  fs::create_directories(home / "folder.png" / "inside");
  EXPECT_FALSE(WriteFileBytes("", {BytesOf("x")}));
  EXPECT_FALSE(WriteFileBytes((home / "missing" / "out.png").string(), {BytesOf("x")}));
  EXPECT_FALSE(fs::exists(home / "missing"));
  // Written in full to the temporary file, then refused by the rename.
  EXPECT_FALSE(WriteFileBytes((home / "folder.png").string(), {BytesOf("x")}));
  EXPECT_TRUE(fs::is_directory(home / "folder.png" / "inside"));
  EXPECT_EQ(test::FolderEntries(home).size(), 2u);
}

TEST_F(WriteFileBytesTest, AWriteThatBreaksLeavesTheOldFileUntouched) {
  const fs::path path = home / "out.png";
  std::ofstream(path) << "old";
  // Files may grow to 1 KiB only: the write of 64 KiB fails midway.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{1024, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool written = WriteFileBytes(path.string(), {Bytes(64 * 1024, 7)});
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(written);
  EXPECT_EQ(test::FileContents(path), "old");
  EXPECT_EQ(test::FolderEntries(home).size(), 2u);
}

using DesktopFolderTest = TemporaryHome;

TEST_F(DesktopFolderTest, IsTheXdgDesktopEndingInOneSlash) {
  NameDesktop("$HOME/桌面");
  EXPECT_EQ(DesktopFolderPath(), home.string() + "/桌面/");
  NameDesktop("$HOME/Desk/");
  EXPECT_EQ(DesktopFolderPath(), home.string() + "/Desk/");
  fs::remove(home / "config" / "user-dirs.dirs");
  EXPECT_EQ(DesktopFolderPath(), home.string() + "/Desktop/");
  EXPECT_EQ(test::FolderEntries(home).size(), 1u);  // nothing created
}

TEST(DecodesAsImageTest, AcceptsOnlyWholePictures) {
  const Bytes png = Encoded("PNG", 40, 30);
  const struct {
    Bytes bytes;
    bool image;
  } cases[] = {
      {png, true},
      {Encoded("JPG", 40, 30), true},
      {Bytes(png.begin(), png.begin() + 8), false},  // the signature alone
      {BytesOf("<html>Not Found</html>"), false},
      {Bytes(), false},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodesAsImage(c.bytes), c.image) << c.bytes.size();
}

class DownloadChosenTest : public TemporaryHome {
 protected:
  void SetUp() override {
    desktop = home / "Desktop";
    NameDesktop("$HOME/Desktop");
    fs::create_directories(desktop);
  }

  fs::path desktop;
  MemoryControls controls;
};

TEST_F(DownloadChosenTest, SavesThePictureUnderTheDigestOfItsBytes) {
  // A JPEG keeps its bytes under the ".png" name.
  for (const Bytes& picture : {Encoded("PNG", 64, 48), Encoded("JPG", 64, 48)}) {
    fs::remove_all(desktop);
    fs::create_directories(desktop);
    controls.SetPictureBytes(picture);
    OnDownloadChosen(controls);
    const fs::path saved = desktop / (Md5Hex(picture) + ".png");
    EXPECT_EQ(test::FolderEntries(desktop), std::vector{saved});
    EXPECT_EQ(test::FileContents(saved), std::string(picture.begin(), picture.end()));
  }
}

TEST_F(DownloadChosenTest, SavingTwiceLeavesOneUnchangedFile) {
  const Bytes picture = Encoded("PNG", 64, 48);
  controls.SetPictureBytes(picture);
  OnDownloadChosen(controls);
  OnDownloadChosen(controls);
  const fs::path saved = desktop / (Md5Hex(picture) + ".png");
  EXPECT_EQ(test::FolderEntries(desktop), std::vector{saved});
  EXPECT_EQ(test::FileContents(saved), std::string(picture.begin(), picture.end()));
}

TEST_F(DownloadChosenTest, SavesNothingThatIsNotAPicture) {
  for (const Bytes& held : {Bytes(), BytesOf("<h1>Not Found</h1>")}) {
    controls.SetPictureBytes(held);
    OnDownloadChosen(controls);
    EXPECT_TRUE(test::FolderEntries(desktop).empty()) << held.size();
  }
}

TEST_F(DownloadChosenTest, AMissingDesktopIsNotCreated) {
  fs::remove(desktop);
  controls.SetPictureBytes(Encoded("PNG", 8, 8));
  OnDownloadChosen(controls);
  EXPECT_FALSE(fs::exists(desktop));
  EXPECT_EQ(test::FolderEntries(home).size(), 1u);
}

}  // namespace
}  // namespace tuxia
