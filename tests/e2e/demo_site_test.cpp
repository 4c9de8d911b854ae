// The program end to end: the real window with the program's handlers, driven as a user drives
// it, against the demo site started as a child process; the desktop is a temporary folder.
#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/gui_support.h"
#include "app/main_window.h"
#include "app/program.h"
#include "browse/search.h"
#include "browse/site.h"
#include "preview/download.h"
#include "support/scratch_home.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

namespace fs = std::filesystem;
using test::Find;

// The demo site on a free port, for as long as the object lives.
class DemoSite {
 public:
  DemoSite() {
    process_.start(QStringLiteral(TUXIA_DEMO_SITE), {QStringLiteral("0")});
    // It prints "listening on http://127.0.0.1:<port>/" once it accepts connections.
    while (!process_.canReadLine() && process_.waitForReadyRead(60000)) {
    }
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    host_ = line.section(QStringLiteral("//"), 1).section(u'/', 0, 0).toStdString();
  }
  ~DemoSite() {
    process_.terminate();
    process_.waitForFinished(30000);
  }
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  [[nodiscard]] const std::string& Host() const { return host_; }

 private:
  QProcess process_;
  std::string host_;
};

// The address of the first picture of the site's own that a page shows.
std::string PictureAddressOn(const Bytes& page) {
  const std::string text(page.begin(), page.end());
  const auto at = text.find("/img/");
  if (at == std::string::npos) return {};
  const auto start = text.rfind('"', at) + 1;
  return text.substr(start, text.find('"', at) - start);
}

class DemoSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(site.Host().empty()) << "the demo site did not start";
    SetSiteHost(site.Host());
    SearchToken().clear();
    home.NameDesktop("$HOME/Schreibtisch");
    fs::create_directories(desktop);

    // Bound as the program binds them (the skin engine is not loaded here, so it attaches none).
    window = std::make_unique<MainWindow>(SiteAddress("/"), ProgramHandlers());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    list = Find<QTableWidget>(*window, "超级列表框1");
  }
  void TearDown() override { window.reset(); }

  // Types into the edit box as an input method commits Chinese text.
  void Type(const char* box, const QString& text) {
    auto* edit = Find<QLineEdit>(*window, box);
    edit->clear();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(edit, &commit);
  }

  void Search(const QString& keyword) {
    Type("编辑框1", keyword);
    QTest::mouseClick(Find<QPushButton>(*window, "按钮1"), Qt::LeftButton);
  }

  void JumpTo(const QString& page) {
    Type("编辑框2", page);
    QTest::mouseClick(Find<QPushButton>(*window, "按钮2"), Qt::LeftButton);
  }

  // A left click on the row, or below the last row when there is none.
  void ClickRow(int row) {
    list->scrollToTop();
    const QPoint at = row < list->rowCount()
                          ? list->visualRect(list->model()->index(row, 1)).center()
                          : QPoint(40, list->viewport()->height() - 10);
    test::Mouse(QTest::MousePress, list->viewport(), Qt::LeftButton, at);
    test::Mouse(QTest::MouseRelease, list->viewport(), Qt::LeftButton, at);
  }

  void ChooseDownload() { window->findChild<QAction*>(QStringLiteral("下载"))->trigger(); }

  [[nodiscard]] std::vector<std::string> Column(int column) const {
    std::vector<std::string> cells;
    for (int row = 0; row < list->rowCount(); ++row) {
      cells.push_back(window->CellText(row, column));
    }
    return cells;
  }

  // Whether the picture box draws anything but its white ground in its middle.
  [[nodiscard]] bool DrawsAPicture() const {
    const QImage drawn = Find<QWidget>(*window, "图片框1")->grab().toImage();
    return drawn.pixelColor(drawn.rect().center()) != QColor(Qt::white);
  }

  DemoSite site;
  test::ScratchHome home;
  const fs::path desktop = home.Path() / "Schreibtisch";
  std::unique_ptr<MainWindow> window;
  QTableWidget* list = nullptr;
};

TEST_F(DemoSiteTest, SearchShowsTheMaterialsOfTheKeyword) {
  Search(QStringLiteral("花"));
  ASSERT_GE(list->rowCount(), 40);
  EXPECT_EQ(window->CellText(0, kNumberColumn), "1");
  EXPECT_EQ(window->CellText(39, kNumberColumn), "40");
  for (const std::string& title : Column(kTitleColumn)) {
    EXPECT_NE(title.find(Gbk("花")), std::string::npos) << GbkToUtf8(title);
  }
  for (const std::string& address : Column(kPageColumn)) {
    EXPECT_EQ(address.rfind(SiteAddress("/sucai/"), 0), 0u) << address;
  }
  const std::vector<std::string> flowers = Column(kPageColumn);
  Search(QStringLiteral("星空"));
  ASSERT_GE(list->rowCount(), 40);
  EXPECT_NE(Column(kPageColumn), flowers);
}

TEST_F(DemoSiteTest, AClickedRowShowsItsPictureWhichDownloadSavesOnce) {
  Search(QStringLiteral("花"));
  ClickRow(1);
  const Bytes picture = window->PictureBytes();
  ASSERT_FALSE(picture.empty());
  // Exactly the file the site serves for the material, drawn.
  std::string address = PictureAddressOn(HttpGetBytes(window->CellText(1, kLinkColumn)));
  if (address.empty()) address = PictureAddressOn(HttpGetBytes(window->CellText(1, kPageColumn)));
  EXPECT_EQ(picture, HttpGetBytes(address));
  EXPECT_TRUE(DrawsAPicture());

  ChooseDownload();
  ChooseDownload();
  const QByteArray bytes(reinterpret_cast<const char*>(picture.data()),
                         static_cast<qsizetype>(picture.size()));
  const std::string digest =
      QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toStdString();
  const fs::path saved = desktop / (digest + ".png");
  EXPECT_EQ(test::FolderEntries(desktop), std::vector{saved});
  EXPECT_EQ(test::FileContents(saved), bytes.toStdString());

  // A click beside the rows of an empty page empties the picture box; 下载 then saves nothing.
  JumpTo(QStringLiteral("0"));
  ASSERT_EQ(list->rowCount(), 0);
  ClickRow(0);
  EXPECT_TRUE(window->PictureBytes().empty());
  EXPECT_FALSE(DrawsAPicture());
  ChooseDownload();
  EXPECT_EQ(test::FolderEntries(desktop), std::vector{saved});
}

TEST_F(DemoSiteTest, PageJumpShowsPageNOfTheSearch) {
  Search(QStringLiteral("花"));
  const std::vector<std::string> first = Column(kPageColumn);
  JumpTo(QStringLiteral("2"));
  ASSERT_GE(list->rowCount(), 40);
  EXPECT_EQ(window->CellText(0, kNumberColumn), "1");
  for (const std::string& address : Column(kPageColumn)) {
    EXPECT_EQ(std::find(first.begin(), first.end(), address), first.end()) << address;
  }
  // The rows are those of the site's page 2 of the same search.
  const Bytes page = HttpGetBytes(SiteAddress("/sucai/0-default-0-0-" + SearchToken() + "-0-2"));
  const std::string html(page.begin(), page.end());
  const std::string path = window->CellText(0, kPageColumn).substr(SiteAddress("").size());
  EXPECT_NE(html.find("href=\"" + path + "\""), std::string::npos) << path;
}

TEST_F(DemoSiteTest, AVanishedBackgroundShowsItsFallbackPicture) {
  QTest::mouseClick(Find<QRadioButton>(*window, "单选框2"), Qt::LeftButton);
  Search(QStringLiteral("海"));
  ASSERT_GE(list->rowCount(), 40);
  int shown = 0;
  int vanished = 0;
  const std::string fallback = SiteAddress("/ycbeijing/");
  // Among any six materials in a row the site has lost one page.
  for (int row = 0; row < 6; ++row) {
    ClickRow(row);
    const bool lost = window->CellText(row, kPageColumn).rfind(fallback, 0) == 0;
    const Bytes picture = window->PictureBytes();
    EXPECT_FALSE(picture.empty()) << row;
    EXPECT_TRUE(DrawsAPicture()) << row;
    if (lost) {
      ++vanished;
      EXPECT_EQ(picture, HttpGetBytes(window->CellText(row, kLinkColumn)));
    } else {
      ++shown;
    }
  }
  EXPECT_GE(vanished, 1);
  EXPECT_GE(shown, 1);
}

}  // namespace
}  // namespace tuxia
