#pragma once
// A plain in-memory WindowControls for handler tests: a table of rows, two edit texts, the
// radio group (元素 checked at start) and the picture bytes.
#include <array>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace tuxia {

class MemoryControls : public WindowControls {
 public:
  static constexpr int kColumns = 4;
  using Row = std::array<std::string, kColumns>;

  void DeleteAllRows() override;
  int AppendRow() override;
  void SetCellText(int row, int column, std::string_view text) override;
  [[nodiscard]] std::string CellText(int row, int column) const override;
  [[nodiscard]] int SelectedRow() const override { return selected_; }
  [[nodiscard]] std::string EditText(EditBox box) const override;
  [[nodiscard]] int IsChecked(RadioButton button) const override;
  [[nodiscard]] Bytes PictureBytes() const override { return picture_; }
  void SetPictureBytes(const Bytes& bytes) override;

  // What a user does to the controls.
  void Select(int row) { selected_ = row; }
  void SetEditText(EditBox box, std::string text);
  void Check(RadioButton button) { checked_ = button; }

  [[nodiscard]] const std::vector<Row>& Rows() const { return rows_; }
  [[nodiscard]] int PictureWrites() const { return pictureWrites_; }

 private:
  bool HasCell(int row, int column) const;

  std::vector<Row> rows_;
  int selected_ = -1;
  std::string keyword_;
  std::string pageNumber_;
  RadioButton checked_ = RadioButton::Element;
  Bytes picture_;
  int pictureWrites_ = 0;
};

}  // namespace tuxia
