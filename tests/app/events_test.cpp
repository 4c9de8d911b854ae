// Each control event runs its handler and nothing else starts one; the list's context menu, the
// site label and the busy cursor around the handlers that may wait on the network.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "gui_support.h"
#include "platform/pending_messages.h"

namespace tuxia {
namespace {

using test::Find;
using test::Mouse;

enum Event { kCreated, kSearch, kPageJump, kList, kListRight, kDownload, kLabel, kEventCount };
using Counts = std::array<int, kEventCount>;

// Counts with the created event and `event` seen once each.
Counts Once(Event event) {
  Counts counts{};
  counts[event] = 1;
  counts[kCreated] = 1;
  return counts;
}

// A shown window whose handlers count their runs, with three rows in its list. `extra` runs
// inside a handler, after its count, with the event that ran it.
class CountingWindow {
 public:
  using Extra = std::function<void(Event, MainWindow&)>;

  explicit CountingWindow(Extra extra = {}, WindowHandlers base = {})
      : extra_(std::move(extra)), window_(test::kSiteAddress, Handlers(std::move(base))) {
    window_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    for (int row = 0; row < 3; ++row) window_.SetCellText(window_.AppendRow(), 1, "row");
  }

  MainWindow& Window() { return window_; }
  const Counts& Seen() const { return counts_; }
  QTableWidget* List() { return Find<QTableWidget>(window_, "超级列表框1"); }
  QWidget* ListArea() { return List()->viewport(); }
  // A point on `row` in the list's viewport.
  QPoint OnRow(int row) { return List()->visualRect(List()->model()->index(row, 1)).center(); }
  // A point below the last row.
  QPoint BesideRows() { return {100, ListArea()->height() - 20}; }

 private:
  WindowHandlers Handlers(WindowHandlers base) {
    auto count = [this](Event event, WindowHandlers::Handler fallback) {
      return [this, event, fallback](MainWindow& window) {
        ++counts_[event];
        if (extra_) extra_(event, window);
        if (fallback) fallback(window);
      };
    };
    return {
        .created = count(kCreated, base.created),
        .searchClicked = count(kSearch, base.searchClicked),
        .pageJumpClicked = count(kPageJump, base.pageJumpClicked),
        .listClicked = count(kList, base.listClicked),
        .listRightClicked = count(kListRight, base.listRightClicked),
        .downloadChosen = count(kDownload, base.downloadChosen),
        .siteLabelPressed = count(kLabel, base.siteLabelPressed),
    };
  }

  Counts counts_{};
  Extra extra_;
  MainWindow window_;
};

struct Case {
  const char* what;
  std::function<void(CountingWindow&)> act;
  Counts expected;
};

void Click(QWidget* target, Qt::MouseButton button = Qt::LeftButton, QPoint pos = {}) {
  Mouse(QTest::MouseClick, target, button, pos.isNull() ? target->rect().center() : pos);
}

QAction* Download(CountingWindow& w) { return Find<QAction>(w.Window(), "下载"); }

TEST(Events, EachReachesItsHandlerOnly) {
  const Case cases[] = {
      {"nothing", [](CountingWindow&) {}, Once(kCreated)},
      {"按钮1 clicked", [](CountingWindow& w) { Click(Find(w.Window(), "按钮1")); }, Once(kSearch)},
      {"按钮2 clicked", [](CountingWindow& w) { Click(Find(w.Window(), "按钮2")); },
       Once(kPageJump)},
      {"left click on a row",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::LeftButton, w.OnRow(1)); }, Once(kList)},
      {"left click beside the rows",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::LeftButton, w.BesideRows()); }, Once(kList)},
      {"right click on a row",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::RightButton, w.OnRow(0)); },
       Once(kListRight)},
      {"right click beside the rows",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::RightButton, w.BesideRows()); },
       Once(kListRight)},
      {"下载 chosen", [](CountingWindow& w) { Download(w)->trigger(); }, Once(kDownload)},
      {"标签1 left button pressed",
       [](CountingWindow& w) {
         Mouse(QTest::MousePress, Find(w.Window(), "标签1"), Qt::LeftButton, {8, 28});
       },
       Once(kLabel)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CountingWindow window;
    c.act(window);
    EXPECT_EQ(window.Seen(), c.expected);
  }
}

TEST(Events, NothingElseStartsAHandler) {
  const Case cases[] = {
      {"arrow keys in the list",
       [](CountingWindow& w) {
         w.List()->setFocus();
         w.List()->selectRow(0);
         QTest::keyClick(w.List(), Qt::Key_Down);
         QTest::keyClick(w.List(), Qt::Key_Down);
         EXPECT_EQ(w.Window().SelectedRow(), 2);
         QTest::keyClick(w.List(), Qt::Key_Return);
       },
       Once(kCreated)},
      {"double click on a row counts as its click only",
       [](CountingWindow& w) {
         Mouse(QTest::MouseDClick, w.ListArea(), Qt::LeftButton, w.OnRow(2));
         EXPECT_EQ(w.Window().SelectedRow(), 2);
       },
       Once(kList)},
      {"double click beside the rows counts as its click only",
       [](CountingWindow& w) {
         Mouse(QTest::MouseDClick, w.ListArea(), Qt::LeftButton, w.BesideRows());
       },
       Once(kList)},
      {"middle click in the list",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::MiddleButton, w.OnRow(1)); },
       Once(kCreated)},
      {"column header clicked",
       [](CountingWindow& w) {
         QHeaderView* header = w.List()->horizontalHeader();
         for (int column : {0, 1}) {
           const QPoint pos(header->sectionViewportPosition(column) + 20, header->height() / 2);
           Click(header->viewport(), Qt::LeftButton, pos);
           Click(header->viewport(), Qt::RightButton, pos);
         }
       },
       Once(kCreated)},
      {"typing in the edit boxes",
       [](CountingWindow& w) {
         for (const char* box : {"编辑框1", "编辑框2"}) {
           auto* edit = Find<QLineEdit>(w.Window(), box);
           Click(edit);
           QInputMethodEvent typed;
           typed.setCommitString(QString::fromUtf8("花朵"));
           QApplication::sendEvent(edit, &typed);
           QTest::keyClicks(edit, QStringLiteral(" 12"));
           QTest::keyClick(edit, Qt::Key_Return);
         }
       },
       Once(kCreated)},
      {"radio buttons checked (单选框3 is reached on top of the picture box)",
       [](CountingWindow& w) {
         const std::pair<const char*, RadioButton> radios[] = {{"单选框2", RadioButton::Background},
                                                               {"单选框3", RadioButton::WordArt},
                                                               {"单选框1", RadioButton::Element}};
         for (const auto& [name, button] : radios) {
           Click(Find(w.Window(), name));
           EXPECT_EQ(w.Window().IsChecked(button), 1) << name;
         }
       },
       Once(kCreated)},
      {"标签1 released, or pressed with the right button",
       [](CountingWindow& w) {
         Click(Find(w.Window(), "标签1"), Qt::RightButton, {8, 28});
         Mouse(QTest::MouseRelease, Find(w.Window(), "标签1"), Qt::LeftButton, {8, 28});
       },
       Once(kCreated)},
      {"picture box clicked",
       [](CountingWindow& w) {
         Click(Find(w.Window(), "图片框1"), Qt::LeftButton);
         Click(Find(w.Window(), "图片框1"), Qt::RightButton);
       },
       Once(kCreated)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CountingWindow window;
    c.act(window);
    EXPECT_EQ(window.Seen(), c.expected);
  }
}

TEST(Events, ListClicksSeeTheRowUnderTheClickOrNone) {
  std::vector<int> seen;
  CountingWindow window([&seen](Event event, MainWindow& w) {
    if (event == kList || event == kListRight) seen.push_back(w.SelectedRow());
  });
  Click(window.ListArea(), Qt::LeftButton, window.OnRow(1));
  Click(window.ListArea(), Qt::LeftButton, window.BesideRows());
  Click(window.ListArea(), Qt::LeftButton, window.OnRow(2));
  Click(window.ListArea(), Qt::RightButton, window.OnRow(0));
  Click(window.ListArea(), Qt::RightButton, window.BesideRows());
  EXPECT_EQ(seen, (std::vector<int>{1, -1, 2, 0, -1}));
  EXPECT_EQ(window.Window().SelectedRow(), -1);
}

// Watches for the popup menu from inside its own event loop and acts on it once it is open.
class PopupWatcher {
 public:
  explicit PopupWatcher(std::function<void(QMenu&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!popup || !popup->isVisible()) return;
      timer_.stop();
      ++opened;
      position = popup->pos();
      owner = popup->parentWidget();
      for (const QAction* action : popup->actions()) items.push_back(action->text());
      act_(*popup);
      if (popup->isVisible()) popup->close();  // never leave the test waiting on the menu
    });
    timer_.start(10);
  }

  int opened = 0;
  QPoint position;
  const QWidget* owner = nullptr;
  QStringList items;

 private:
  std::function<void(QMenu&)> act_;
  QTimer timer_;
};

// A window whose list right click runs the real context menu.
class PopupTest : public ::testing::Test {
 protected:
  void SetUp() override { QCursor::setPos(kCursor); }

  static constexpr QPoint kCursor{200, 300};
  CountingWindow window_{{}, {.listRightClicked = &MainWindow::OnListRightClicked}};
};

TEST_F(PopupTest, AppearsAtTheCursorAndTheRightButtonChoosesDownload) {
  for (const bool onRow : {true, false}) {
    SCOPED_TRACE(onRow ? "on a row" : "beside the rows");
    PopupWatcher watcher([](QMenu& popup) {
      QTest::mouseClick(&popup, Qt::RightButton, {},
                        popup.actionGeometry(popup.actions().front()).center());
    });
    const int before = window_.Seen()[kDownload];
    ASSERT_EQ(QCursor::pos(), kCursor);
    Click(window_.ListArea(), Qt::RightButton, onRow ? window_.OnRow(1) : window_.BesideRows());
    EXPECT_EQ(watcher.opened, 1);
    EXPECT_EQ(watcher.position, kCursor + QPoint(3, 3));
    EXPECT_EQ(watcher.owner, &window_.Window());
    EXPECT_EQ(watcher.items, QStringList{QString::fromUtf8("下载")});
    EXPECT_EQ(window_.Seen()[kDownload], before + 1);
  }
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(PopupTest, DismissedRunsNothing) {
  PopupWatcher watcher([](QMenu& popup) { popup.close(); });
  Click(window_.ListArea(), Qt::RightButton, window_.OnRow(0));
  EXPECT_EQ(watcher.opened, 1);
  Counts expected = Once(kListRight);
  EXPECT_EQ(window_.Seen(), expected);
}

// Receives the addresses that the desktop would open.
class AddressCatcher : public QObject {
  Q_OBJECT

 public:
  AddressCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~AddressCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& address) { opened.push_back(address); }
};

TEST(SiteLabel, OpensTheSiteWhenPressedNotWhenReleased) {
  AddressCatcher catcher;
  CountingWindow window({}, {.siteLabelPressed = &MainWindow::OnSiteLabelPressed});
  QWidget* label = Find(window.Window(), "标签1");
  Mouse(QTest::MousePress, label, Qt::LeftButton, {8, 28});
  EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("http://example.test/"))});
  Mouse(QTest::MouseRelease, label, Qt::LeftButton, {8, 28});
  EXPECT_EQ(catcher.opened.size(), 1);
}

bool Busy() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor && cursor->shape() == Qt::WaitCursor;
}

TEST(BusyCursor, ShownWhileANetworkHandlerRunsAndRestoredAfter) {
  const struct {
    const char* what;
    std::function<void(CountingWindow&)> act;
    Event event;
    bool busy;
  } cases[] = {
      {"按钮1", [](CountingWindow& w) { Click(Find(w.Window(), "按钮1")); }, kSearch, true},
      {"按钮2", [](CountingWindow& w) { Click(Find(w.Window(), "按钮2")); }, kPageJump, true},
      {"list click", [](CountingWindow& w) { Click(w.ListArea(), Qt::LeftButton, w.OnRow(0)); },
       kList, true},
      {"下载", [](CountingWindow& w) { Download(w)->trigger(); }, kDownload, true},
      {"list right click",
       [](CountingWindow& w) { Click(w.ListArea(), Qt::RightButton, w.OnRow(0)); }, kListRight,
       false},
      {"标签1",
       [](CountingWindow& w) {
         Mouse(QTest::MousePress, Find(w.Window(), "标签1"), Qt::LeftButton, {8, 28});
       },
       kLabel, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<bool> during;
    CountingWindow window([&during, &c](Event event, MainWindow&) {
      if (event == c.event) during.push_back(Busy());
    });
    c.act(window);
    EXPECT_EQ(during, std::vector<bool>{c.busy});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST(BusyCursor, NestedHandlersRestoreItWhenTheOuterOneEnds) {
  std::vector<bool> busy;
  CountingWindow window([&busy](Event event, MainWindow& w) {
    busy.push_back(Busy());
    if (event != kSearch) return;
    // A click on 按钮2 waits in the queue while the search runs; the search dispatches it, as a
    // web request does while it waits, and the page jump runs inside the search.
    QWidget* pageJump = Find(w, "按钮2");
    const QPointF at = pageJump->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QCoreApplication::postEvent(
          pageJump,
          new QMouseEvent(type, at, pageJump->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier));
    }
    ProcessPendingMessages();
    busy.push_back(Busy());
  });
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  Click(Find(window.Window(), "按钮1"));
  // created, search, page jump inside it, search after it.
  EXPECT_EQ(busy, (std::vector<bool>{false, true, true, true}));
  EXPECT_EQ(window.Seen()[kPageJump], 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tuxia

#include "events_test.moc"
