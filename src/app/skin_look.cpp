#include "app/skin_look.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <utility>

namespace tuxia {
namespace {

QColor Colour(std::uint32_t rgb) { return QColor::fromRgb(0xFF000000u | (rgb & 0xFFFFFFu)); }

}  // namespace

void ApplySkinLook(const std::optional<SkinLook>& look) {
  if (!look) return;
  QPalette palette = QApplication::palette();
  const std::pair<QPalette::ColorRole, std::uint32_t> colours[] = {
      {QPalette::Window, look->window},       {QPalette::WindowText, look->windowText},
      {QPalette::Base, look->base},           {QPalette::Text, look->text},
      {QPalette::Button, look->button},       {QPalette::ButtonText, look->buttonText},
      {QPalette::Highlight, look->highlight}, {QPalette::HighlightedText, look->highlightedText},
  };
  for (const auto& [role, rgb] : colours) palette.setColor(role, Colour(rgb));
  QApplication::setPalette(palette);
  if (look->fontPointSize > 0) {
    QFont font = QApplication::font();
    font.setPointSize(look->fontPointSize);
    QApplication::setFont(font);
  }
}

}  // namespace tuxia
