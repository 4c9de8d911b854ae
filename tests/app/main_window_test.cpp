// The window as it starts, and the control operations on its list, edit boxes and radio group.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTableWidget>
#include <climits>
#include <vector>

#include "gui_support.h"
#include "platform/pending_messages.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using test::Find;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  QTableWidget* List() { return Find<QTableWidget>(window_, "超级列表框1"); }

  // Every cell of the list, as the operations read it.
  std::vector<std::string> AllCells() {
    std::vector<std::string> cells;
    for (int row = 0; row < List()->rowCount(); ++row) {
      for (int column = 0; column < 4; ++column) cells.push_back(window_.CellText(row, column));
    }
    return cells;
  }

  MainWindow window_{test::kSiteAddress, {}};
};

TEST_F(MainWindowTest, WindowIsPlacedSizedAndFramedAsDrawn) {
  // The offscreen platform gives top-level windows a frame of 2 pixels on each side.
  EXPECT_EQ(window_.frameGeometry(), QRect(50, 50, 656, 554));
  EXPECT_EQ(window_.size(), QSize(652, 550));
  EXPECT_EQ(window_.windowTitle(), QString::fromUtf8("http://example.test/图匣站素材下载"));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize());
  const Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window_.findChild<QMenuBar*>(), nullptr);
}

TEST(ClientSize, IsTheOuterSizeLessTheFrame) {
  EXPECT_EQ(ClientSizeWithin({656, 554}, {}), QSize(656, 554));
  EXPECT_EQ(ClientSizeWithin({656, 554}, {3, 22, 3, 3}), QSize(650, 529));
}

TEST_F(MainWindowTest, EveryControlStartsAsDrawn) {
  struct Control {
    const char* name;
    const char* kind;
    QRect rect;
    const char* text;
  };
  const Control controls[] = {
      {"超级列表框1", "QTableWidget", {8, 8, 288, 504}, ""},
      {"图片框1", "tuxia::PictureBox", {304, 8, 336, 424}, ""},
      {"单选框3", "QRadioButton", {344, 384, 72, 24}, "艺术字"},
      {"单选框1", "QRadioButton", {312, 448, 64, 24}, "元素"},
      {"单选框2", "QRadioButton", {312, 480, 56, 32}, "背景"},
      {"编辑框1", "QLineEdit", {392, 440, 112, 32}, ""},
      {"编辑框2", "QLineEdit", {392, 480, 112, 32}, ""},
      {"按钮1", "QPushButton", {528, 440, 72, 32}, "搜索"},
      {"按钮2", "QPushButton", {528, 480, 72, 32}, "跳页"},
      {"标签1", "QLabel", {616, 456, 16, 56}, "图匣站"},
  };
  for (const Control& expected : controls) {
    SCOPED_TRACE(expected.name);
    const QWidget* control = Find(window_, expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->inherits(expected.kind));
    EXPECT_EQ(control->geometry(), expected.rect);
    EXPECT_TRUE(control->isVisible());
    EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(expected.text));
  }
  EXPECT_EQ(Find<QRadioButton>(window_, "单选框1")->isChecked(), true);
  EXPECT_EQ(Find<QRadioButton>(window_, "单选框2")->isChecked(), false);
  EXPECT_EQ(Find<QRadioButton>(window_, "单选框3")->isChecked(), false);
  EXPECT_EQ(List()->rowCount(), 0);
  EXPECT_EQ(window_.SelectedRow(), -1);
  EXPECT_TRUE(window_.PictureBytes().empty());
}

TEST_F(MainWindowTest, ListIsAReportViewWithTwoVisibleColumns) {
  QTableWidget* list = List();
  const char* headers[] = {"序", "标题", "URL1", "URL2"};
  const int widths[] = {50, 200, 0, 0};
  ASSERT_EQ(list->columnCount(), 4);
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(list->horizontalHeaderItem(column)->text(), QString::fromUtf8(headers[column]));
    EXPECT_EQ(list->horizontalHeader()->sectionSize(column), widths[column]);
    EXPECT_EQ(list->isColumnHidden(column), column >= 2);
  }
  EXPECT_TRUE(list->horizontalHeader()->isVisible());
  EXPECT_FALSE(list->verticalHeader()->isVisible());
  EXPECT_TRUE(list->showGrid());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowTest, HiddenMenuHoldsDownload) {
  const auto* menu = Find<QMenu>(window_, "菜单");
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(menu->title(), QString::fromUtf8("菜单"));
  ASSERT_EQ(menu->actions().size(), 1);
  const QAction* download = menu->actions().front();
  EXPECT_EQ(download->objectName(), QString::fromUtf8("下载"));
  EXPECT_EQ(download->text(), QString::fromUtf8("下载"));
  EXPECT_TRUE(download->isEnabled());
  EXPECT_TRUE(download->shortcut().isEmpty());
}

TEST_F(MainWindowTest, RadioButtonsAreOneGroupWithOneAlwaysChecked) {
  const struct {
    const char* name;
    RadioButton button;
  } radios[] = {{"单选框2", RadioButton::Background},
                {"单选框3", RadioButton::WordArt},
                {"单选框1", RadioButton::Element},
                {"单选框1", RadioButton::Element}};  // clicking the checked one keeps it
  for (const auto& clicked : radios) {
    SCOPED_TRACE(clicked.name);
    QTest::mouseClick(Find<QRadioButton>(window_, clicked.name), Qt::LeftButton);
    for (RadioButton button :
         {RadioButton::Element, RadioButton::Background, RadioButton::WordArt}) {
      EXPECT_EQ(window_.IsChecked(button), button == clicked.button ? 1 : 0);
    }
  }
}

TEST_F(MainWindowTest, RowsAreAppendedFilledReadAndDeleted) {
  EXPECT_EQ(window_.AppendRow(), 0);
  EXPECT_EQ(window_.AppendRow(), 1);
  EXPECT_EQ(window_.AppendRow(), 2);
  EXPECT_EQ(AllCells(), std::vector<std::string>(12));

  const std::string title = Gbk("花朵 素材");
  window_.SetCellText(1, kTitleColumn, title);
  window_.SetCellText(1, kNumberColumn, "2");
  EXPECT_EQ(window_.CellText(1, kTitleColumn), title);
  EXPECT_EQ(window_.CellText(1, kNumberColumn), "2");
  EXPECT_EQ(List()->item(1, kTitleColumn)->text(), QString::fromUtf8("花朵 素材"));

  // Bytes that are not GBK (here UTF-8, and a lone lead byte) come back exactly as written.
  for (const std::string& bytes : {std::string("\xE8\x8A\xB1/x.html"), std::string("a\x81")}) {
    window_.SetCellText(2, kPageColumn, bytes);
    EXPECT_EQ(window_.CellText(2, kPageColumn), bytes);
  }
  window_.SetCellText(1, kTitleColumn, "");
  EXPECT_EQ(window_.CellText(1, kTitleColumn), "");

  window_.DeleteAllRows();
  EXPECT_EQ(List()->rowCount(), 0);
  EXPECT_EQ(window_.CellText(1, kNumberColumn), "");
  EXPECT_EQ(window_.AppendRow(), 0);
}

TEST_F(MainWindowTest, CellsOutsideTheListChangeNothingAndReadEmpty) {
  window_.AppendRow();
  window_.AppendRow();
  window_.SetCellText(0, kTitleColumn, "kept");
  const std::vector<std::string> before = AllCells();
  const struct {
    int row;
    int column;
  } missing[] = {{-1, 0}, {2, 0}, {INT_MAX, 1}, {0, -1}, {0, 4}, {INT_MIN, INT_MIN}};
  for (const auto& cell : missing) {
    SCOPED_TRACE(testing::Message() << cell.row << "," << cell.column);
    window_.SetCellText(cell.row, cell.column, "x");
    EXPECT_EQ(window_.CellText(cell.row, cell.column), "");
    EXPECT_EQ(AllCells(), before);
    EXPECT_EQ(List()->rowCount(), 2);
  }
}

TEST_F(MainWindowTest, SelectedRowFollowsTheSelection) {
  for (int i = 0; i < 3; ++i) window_.AppendRow();
  EXPECT_EQ(window_.SelectedRow(), -1);
  List()->selectRow(2);
  EXPECT_EQ(window_.SelectedRow(), 2);
  List()->selectRow(0);
  EXPECT_EQ(window_.SelectedRow(), 0);
  List()->clearSelection();
  EXPECT_EQ(window_.SelectedRow(), -1);
}

TEST_F(MainWindowTest, EditTextIsWhatWasTypedInGbk) {
  auto* keyword = Find<QLineEdit>(window_, "编辑框1");
  // Chinese arrives from the input method as committed text.
  QInputMethodEvent typed;
  typed.setCommitString(QString::fromUtf8("花朵"));
  QApplication::sendEvent(keyword, &typed);
  QTest::keyClicks(keyword, QStringLiteral(" abc"));
  QTest::keyClicks(Find<QLineEdit>(window_, "编辑框2"), QStringLiteral("12"));
  EXPECT_EQ(window_.EditText(EditBox::Keyword), Gbk("花朵 abc"));
  EXPECT_EQ(window_.EditText(EditBox::PageNumber), "12");
}

TEST_F(MainWindowTest, PendingMessagesAreDispatchedThroughTheHook) {
  bool ran = false;
  QMetaObject::invokeMethod(
      &window_, [&ran] { ran = true; }, Qt::QueuedConnection);
  ProcessPendingMessages();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tuxia
