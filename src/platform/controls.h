#pragma once
// The control operations through which the handlers reach the main window. MainWindow
// implements them over its widgets; handler tests use an in-memory implementation.
// List rows and columns count from 0; texts are GBK.
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

enum class EditBox { Keyword /* 编辑框1 */, PageNumber /* 编辑框2 */ };
enum class RadioButton {
  Element = 1 /* 单选框1 元素 */,
  Background /* 单选框2 背景 */,
  WordArt /* 单选框3 艺术字 */
};

// Columns of the result list 超级列表框1.
enum ListingColumn : int { kNumberColumn = 0, kTitleColumn = 1, kPageColumn = 2, kLinkColumn = 3 };

class WindowControls {
 public:
  virtual ~WindowControls() = default;

  virtual void DeleteAllRows() = 0;
  // Adds an empty row after the last one; returns its index (the former row count).
  virtual int AppendRow() = 0;
  // A row that does not exist changes nothing.
  virtual void SetCellText(int row, int column, std::string_view text) = 0;
  // The empty text for a row or column that does not exist.
  [[nodiscard]] virtual std::string CellText(int row, int column) const = 0;
  // The first selected row, -1 when none is.
  [[nodiscard]] virtual int SelectedRow() const = 0;
  [[nodiscard]] virtual std::string EditText(EditBox box) const = 0;
  // 1 when checked, 0 when not.
  [[nodiscard]] virtual int IsChecked(RadioButton button) const = 0;
  // Exactly the bytes last stored, empty when none were.
  [[nodiscard]] virtual Bytes PictureBytes() const = 0;
  // Stores the bytes (an image file) and shows them decoded; undecodable bytes are kept.
  virtual void SetPictureBytes(const Bytes& bytes) = 0;
};

}  // namespace tuxia
