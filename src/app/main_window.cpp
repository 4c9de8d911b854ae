#include "app/main_window.h"

#include <QButtonGroup>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/busy_cursor.h"
#include "app/picture_box.h"
#include "app/report_list.h"
#include "platform/shell/shell.h"
#include "text/codepage.h"

namespace tuxia {

using namespace Qt::StringLiterals;

namespace {

// Cells keep the GBK bytes they were given, so a read gives back exactly what was written even
// where the bytes are not valid GBK; the cell shows their conversion.
constexpr int kGbkRole = Qt::UserRole;

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

std::string ToGbk(const QString& text) { return Utf8ToGbk(text.toStdString()); }

template <typename Control>
Control* Place(Control* control, const QString& name, QRect rect) {
  control->setObjectName(name);
  control->setGeometry(rect);
  return control;
}

}  // namespace

QSize ClientSizeWithin(QSize outer, QMargins frame) { return outer.shrunkBy(frame); }

MainWindow::MainWindow(std::string siteAddress, WindowHandlers handlers, QWidget* parent)
    : QWidget(parent), siteAddress_(std::move(siteAddress)), handlers_(std::move(handlers)) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromStdString(siteAddress_) + u"图匣站素材下载"_s);
  move(kPlace);
  setFixedSize(kOuterSize);
  BuildControls();
  WireEvents();
  Run(handlers_.created);
}

void MainWindow::BuildControls() {
  // Created in this order so that 单选框3, which lies on the picture box, stays above it.
  list_ = Place(new ReportList(this), u"超级列表框1"_s, {8, 8, 288, 504});
  picture_ = Place(new PictureBox(this), u"图片框1"_s, {304, 8, 336, 424});
  wordArt_ = Place(new QRadioButton(u"艺术字"_s, this), u"单选框3"_s, {344, 384, 72, 24});
  element_ = Place(new QRadioButton(u"元素"_s, this), u"单选框1"_s, {312, 448, 64, 24});
  background_ = Place(new QRadioButton(u"背景"_s, this), u"单选框2"_s, {312, 480, 56, 32});
  keyword_ = Place(new QLineEdit(this), u"编辑框1"_s, {392, 440, 112, 32});
  pageNumber_ = Place(new QLineEdit(this), u"编辑框2"_s, {392, 480, 112, 32});
  search_ = Place(new QPushButton(u"搜索"_s, this), u"按钮1"_s, {528, 440, 72, 32});
  pageJump_ = Place(new QPushButton(u"跳页"_s, this), u"按钮2"_s, {528, 480, 72, 32});
  siteLabel_ = Place(new QLabel(u"图匣站"_s, this), u"标签1"_s, {616, 456, 16, 56});
  siteLabel_->setWordWrap(true);

  category_ = new QButtonGroup(this);
  for (QRadioButton* radio : {element_, background_, wordArt_}) {
    category_->addButton(radio);
    // Opaque like the window's other controls, so that 单选框3 stays readable on a picture.
    radio->setBackgroundRole(QPalette::Window);
    radio->setAutoFillBackground(true);
  }
  element_->setChecked(true);

  menu_ = new QMenu(u"菜单"_s, this);
  menu_->setObjectName(u"菜单"_s);
  download_ = menu_->addAction(u"下载"_s);
  download_->setObjectName(u"下载"_s);
}

void MainWindow::WireEvents() {
  connect(search_, &QPushButton::clicked, this, [this] { RunBusy(handlers_.searchClicked); });
  connect(pageJump_, &QPushButton::clicked, this, [this] { RunBusy(handlers_.pageJumpClicked); });
  connect(list_, &ReportList::LeftClicked, this, [this] { RunBusy(handlers_.listClicked); });
  connect(list_, &ReportList::RightClicked, this, [this] { Run(handlers_.listRightClicked); });
  connect(download_, &QAction::triggered, this, [this] { RunBusy(handlers_.downloadChosen); });
  siteLabel_->installEventFilter(this);
}

void MainWindow::Run(const WindowHandlers::Handler& handler) {
  if (handler) handler(*this);
}

void MainWindow::RunBusy(const WindowHandlers::Handler& handler) {
  if (!handler) return;
  BusyCursor busy;
  handler(*this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == siteLabel_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Run(handlers_.siteLabelPressed);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) FitOuterSize();
  return handled;
}

// The outer size holds the frame, which is known only once the window manager has framed the
// window; the client area is what the frame leaves.
void MainWindow::FitOuterSize() {
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QSize client = ClientSizeWithin(kOuterSize, frame);
  if (size() != client) setFixedSize(client);
}

void MainWindow::DeleteAllRows() { list_->setRowCount(0); }

int MainWindow::AppendRow() {
  const int row = list_->rowCount();
  list_->insertRow(row);
  return row;
}

void MainWindow::SetCellText(int row, int column, std::string_view text) {
  if (row < 0 || row >= list_->rowCount() || column < 0 || column >= list_->columnCount()) return;
  auto* item = new QTableWidgetItem(FromGbk(text));
  item->setData(kGbkRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  list_->setItem(row, column, item);
}

std::string MainWindow::CellText(int row, int column) const {
  const QTableWidgetItem* item = list_->item(row, column);
  return item ? item->data(kGbkRole).toByteArray().toStdString() : std::string();
}

int MainWindow::SelectedRow() const {
  const QModelIndexList selected = list_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return -1;
  return std::ranges::min(selected, {}, &QModelIndex::row).row();
}

std::string MainWindow::EditText(EditBox box) const {
  return ToGbk((box == EditBox::Keyword ? keyword_ : pageNumber_)->text());
}

QRadioButton* MainWindow::Radio(RadioButton button) const {
  switch (button) {
    case RadioButton::Element:
      return element_;
    case RadioButton::Background:
      return background_;
    case RadioButton::WordArt:
      return wordArt_;
  }
  return nullptr;
}

int MainWindow::IsChecked(RadioButton button) const {
  const QRadioButton* radio = Radio(button);
  return radio && radio->isChecked() ? 1 : 0;
}

Bytes MainWindow::PictureBytes() const { return picture_->StoredBytes(); }

void MainWindow::SetPictureBytes(const Bytes& bytes) { picture_->SetBytes(bytes); }

void MainWindow::PopupMenu(const QMenu& menu) {
  QMenu popup(this);
  popup.addActions(menu.actions());
  popup.exec(QCursor::pos() + QPoint(3, 3));
}

void MainWindow::OnListRightClicked() { PopupMenu(*menu_); }

void MainWindow::OnSiteLabelPressed() { OpenAddress(siteAddress_); }

}  // namespace tuxia
