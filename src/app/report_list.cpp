#include "app/report_list.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <utility>

namespace tuxia {

using namespace Qt::StringLiterals;

ReportList::ReportList(QWidget* parent) : QTableWidget(0, 4, parent) {
  setHorizontalHeaderLabels({u"序"_s, u"标题"_s, u"URL1"_s, u"URL2"_s});
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  setColumnWidth(0, 50);
  setColumnWidth(1, 200);
  setColumnHidden(2, true);
  setColumnHidden(3, true);
  setShowGrid(true);
  setWordWrap(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
  QTableWidget::mousePressEvent(event);
  pressed_ = event->button();
}

void ReportList::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  const Qt::MouseButton button = std::exchange(pressed_, Qt::NoButton);
  if (button != event->button()) return;
  if (button == Qt::LeftButton) emit LeftClicked();
  if (button == Qt::RightButton) emit RightClicked();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
  // The base class may treat the second press as a press of its own; either way the release
  // that follows ends a double click, which is not a further click.
  QTableWidget::mouseDoubleClickEvent(event);
  pressed_ = Qt::NoButton;
}

}  // namespace tuxia
