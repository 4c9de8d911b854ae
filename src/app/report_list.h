#pragma once
// 超级列表框1: a report view whose click notifications behave like a list view's. A left or
// right click in the list, on a row or beside the rows, is reported once when the button is
// released, after the view has moved the selection (a press beside the rows clears it). A double
// click is reported as its first click only; keyboard moves are not reported.
#include <QTableWidget>

namespace tuxia {

class ReportList : public QTableWidget {
  Q_OBJECT

 public:
  explicit ReportList(QWidget* parent = nullptr);

 signals:
  void LeftClicked();
  void RightClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  Qt::MouseButton pressed_ = Qt::NoButton;  // the button whose release is a click
};

}  // namespace tuxia
