#include "support/memory_controls.h"

#include <utility>

namespace tuxia {

void MemoryControls::DeleteAllRows() {
  rows_.clear();
  selected_ = -1;
}

int MemoryControls::AppendRow() {
  rows_.emplace_back();
  return static_cast<int>(rows_.size()) - 1;
}

bool MemoryControls::HasCell(int row, int column) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) && column >= 0 && column < kColumns;
}

void MemoryControls::SetCellText(int row, int column, std::string_view text) {
  if (HasCell(row, column)) rows_[row][column] = std::string(text);
}

std::string MemoryControls::CellText(int row, int column) const {
  return HasCell(row, column) ? rows_[row][column] : std::string();
}

std::string MemoryControls::EditText(EditBox box) const {
  return box == EditBox::Keyword ? keyword_ : pageNumber_;
}

int MemoryControls::IsChecked(RadioButton button) const { return button == checked_ ? 1 : 0; }

void MemoryControls::SetPictureBytes(const Bytes& bytes) {
  picture_ = bytes;
  ++pictureWrites_;
}

void MemoryControls::SetEditText(EditBox box, std::string text) {
  (box == EditBox::Keyword ? keyword_ : pageNumber_) = std::move(text);
}

}  // namespace tuxia
