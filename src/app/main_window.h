#pragma once
// MainWindow: the program's one window, its controls, the wiring of their events and the
// control operations through which the handlers reach them.
#include <QWidget>
#include <functional>
#include <string>

#include "platform/controls.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace tuxia {

class MainWindow;
class PictureBox;
class ReportList;

// What each event runs; an empty function runs nothing. The handlers of 按钮1, 按钮2, the list's
// left click and 下载 run under the busy cursor.
struct WindowHandlers {
  using Handler = std::function<void(MainWindow&)>;
  Handler created{};           // the window and its controls exist
  Handler searchClicked{};     // 按钮1 clicked
  Handler pageJumpClicked{};   // 按钮2 clicked
  Handler listClicked{};       // left click in 超级列表框1, on a row or beside them
  Handler listRightClicked{};  // right click in 超级列表框1
  Handler downloadChosen{};    // 下载 chosen
  Handler siteLabelPressed{};  // left button pressed on 标签1
};

class MainWindow : public QWidget, public WindowControls {
  Q_OBJECT

 public:
  // Outer size, frame included, and the place of the frame's top-left corner.
  static constexpr QSize kOuterSize{656, 554};
  static constexpr QPoint kPlace{50, 50};

  // Builds the window and its controls, then runs the `created` handler. `siteAddress` is the
  // site's root address: the caption begins with it and the site label opens it.
  MainWindow(std::string siteAddress, WindowHandlers handlers, QWidget* parent = nullptr);

  void DeleteAllRows() override;
  int AppendRow() override;
  void SetCellText(int row, int column, std::string_view text) override;
  [[nodiscard]] std::string CellText(int row, int column) const override;
  [[nodiscard]] int SelectedRow() const override;
  [[nodiscard]] std::string EditText(EditBox box) const override;
  [[nodiscard]] int IsChecked(RadioButton button) const override;
  [[nodiscard]] Bytes PictureBytes() const override;
  void SetPictureBytes(const Bytes& bytes) override;

  // Pops up the items of `menu` (shown or hidden) at the cursor + (3, 3) and returns when one is
  // chosen, which runs its handler, or the popup is dismissed.
  void PopupMenu(const QMenu& menu);

  // The list's context menu: the items of 菜单, whether or not a row was hit.
  void OnListRightClicked();
  // Opens the site's root address in the default browser.
  void OnSiteLabelPressed();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void WireEvents();
  void Run(const WindowHandlers::Handler& handler);
  void RunBusy(const WindowHandlers::Handler& handler);
  void FitOuterSize();
  [[nodiscard]] QRadioButton* Radio(RadioButton button) const;

  const std::string siteAddress_;
  WindowHandlers handlers_;
  ReportList* list_ = nullptr;
  PictureBox* picture_ = nullptr;
  QRadioButton* wordArt_ = nullptr;
  QRadioButton* element_ = nullptr;
  QRadioButton* background_ = nullptr;
  QButtonGroup* category_ = nullptr;
  QLineEdit* keyword_ = nullptr;
  QLineEdit* pageNumber_ = nullptr;
  QPushButton* search_ = nullptr;
  QPushButton* pageJump_ = nullptr;
  QLabel* siteLabel_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* download_ = nullptr;
};

// The client size that gives a window the outer size `outer` inside a frame of `frame`.
[[nodiscard]] QSize ClientSizeWithin(QSize outer, QMargins frame);

}  // namespace tuxia
