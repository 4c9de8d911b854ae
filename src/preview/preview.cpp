#include "preview/preview.h"

#include <string>

#include "browse/site.h"
#include "net/web_request.h"
#include "platform/shell/image_check.h"
#include "platform/shell/shell.h"
#include "preview/download.h"
#include "preview/save.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

constexpr std::string_view kAlternateLeft = "<link rel=\"alternate\" href=\"";
constexpr std::string_view kAlternateRight = "\" /><meta name=\"";
constexpr std::string_view kImageEnd = "\" /></div>";
constexpr std::string_view kElementImageLeft = "\"><img src=\"";
constexpr std::string_view kFallbackImageLeft = "<div class=\"img-l-box\"><img src=\"";
constexpr std::string_view kFallbackImageRight = "/quality/90/unsharp/true/compress/true\" alt=\"";

// What the site shows in place of a background that no longer exists.
const std::string& MissingPageMarker() {
  static const std::string marker = Gbk("图匣站丢失页面");
  return marker;
}

// Cells of the row selected at this moment: a nested click may have moved the selection since
// the last access, and the preview follows it.
std::string Cell(const WindowControls& controls, int column) {
  return controls.CellText(controls.SelectedRow(), column);
}

void SetCell(WindowControls& controls, int column, std::string_view text) {
  controls.SetCellText(controls.SelectedRow(), column, text);
}

void PreviewElement(WindowControls& controls) {
  const std::string page = WebRequest(Cell(controls, kPageColumn));
  const std::string alternate = TextBetween(page, kAlternateLeft, kAlternateRight);
  SetCell(controls, kLinkColumn, alternate);
  const std::string alternatePage = WebRequest(alternate);
  std::string image = TextBetween(alternatePage, kElementImageLeft, kImageEnd);
  if (image.empty()) {
    const std::string titled =
        ConcatText({"\"  title=\"", Cell(controls, kTitleColumn), "\" src=\""});
    image = TextBetween(page, titled, kImageEnd);
  }
  controls.SetPictureBytes(HttpGetBytes(image));
}

void PreviewBackground(WindowControls& controls) {
  const std::string fallbackBase = SiteAddress("/ycbeijing/");
  std::string page = WebRequest(Cell(controls, kPageColumn));
  if (FindText(page, MissingPageMarker()) != -1) {
    const std::string name = TextAfterLast(Cell(controls, kPageColumn), "/");
    SetCell(controls, kPageColumn, ConcatText({fallbackBase, name}));
    page = WebRequest(Cell(controls, kPageColumn));
  }
  std::string link = TextBetween(page, kAlternateLeft, kAlternateRight);
  if (FindText(Cell(controls, kPageColumn), fallbackBase) != -1) {
    link = TextBetween(page, kFallbackImageLeft, kFallbackImageRight);
  }
  SetCell(controls, kLinkColumn, link);
  // The alternate pages of backgrounds are UTF-8, whatever they declare.
  const std::string linkPage = Utf8ToGbk(BytesToText(HttpGetBytes(link)));
  const std::string titled = ConcatText({Cell(controls, kTitleColumn), "\" src=\""});
  const std::string image = TextBetween(linkPage, titled, kImageEnd);
  controls.SetPictureBytes(HttpGetBytes(image.empty() ? link : image));
}

}  // namespace

void OnListClicked(WindowControls& controls) {
  if (controls.IsChecked(RadioButton::Element) == 1) PreviewElement(controls);
  if (controls.IsChecked(RadioButton::Background) == 1) PreviewBackground(controls);
  // 艺术字 has no preview.
}

void OnDownloadChosen(WindowControls& controls) {
  const std::string folder = DesktopFolderPath();
  const Bytes picture = controls.PictureBytes();
  // Nothing to save, or something no viewer could open: no junk ".png" on the desktop.
  if (!DecodesAsImage(picture)) return;
  const std::string digest = Md5Hex(picture);
  if (digest.empty()) return;
  const std::string path = ConcatText({folder, digest, ".png"});
  WriteFileBytes(path, {controls.PictureBytes()});
}

}  // namespace tuxia
