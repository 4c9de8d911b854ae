#include "images.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <charconv>
#include <cmath>
#include <map>
#include <mutex>

namespace demo {
namespace {

// A stable spread of colours and sizes per material.
unsigned Mix(long id, unsigned salt) {
  auto x = static_cast<unsigned>(id) * 2654435761u + salt * 40503u;
  x ^= x >> 15;
  x *= 2246822519u;
  return x ^ (x >> 13);
}

QColor Hue(long id, unsigned salt, int saturation = 200, int value = 230) {
  return QColor::fromHsv(static_cast<int>(Mix(id, salt) % 360), saturation, value);
}

std::string Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 85);
  return bytes.toStdString();
}

void Caption(QPainter& painter, const QRect& area, const QString& text, const QColor& colour) {
  QFont font;
  font.setPixelSize(std::max(12, area.height() / 12));
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignBottom | Qt::AlignRight, text);
}

// A star of five points in a gradient, on a transparent or white ground.
QImage Element(long id, bool onWhite) {
  const int side = 256 + static_cast<int>(Mix(id, 1) % 5) * 64;
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(onWhite ? Qt::white : Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath star;
  const double centre = side / 2.0;
  for (int i = 0; i < 10; ++i) {
    const double radius = (i % 2 == 0 ? 0.45 : 0.2) * side;
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const QPointF point(centre + radius * std::cos(angle), centre + radius * std::sin(angle));
    i == 0 ? star.moveTo(point) : star.lineTo(point);
  }
  star.closeSubpath();
  QRadialGradient fill(centre, centre, side / 2.0);
  fill.setColorAt(0, Hue(id, 2).lighter(140));
  fill.setColorAt(1, Hue(id, 3));
  painter.fillPath(star, fill);
  Caption(painter, image.rect(), QString::number(id), Hue(id, 4, 255, 120));
  return image;
}

// A sky of two colours with soft circles; a faded copy for pictures kept after a page vanished.
QImage Background(long id, int width, bool faded) {
  const int height = width * (Mix(id, 5) % 2 == 0 ? 9 : 10) / 16;
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0, Hue(id, 6, faded ? 40 : 180, 240));
  sky.setColorAt(1, Hue(id, 7, faded ? 40 : 220, faded ? 150 : 120));
  painter.fillRect(image.rect(), sky);
  for (unsigned i = 0; i < 12; ++i) {
    QColor light = Hue(id, 10 + i, 80, 255);
    light.setAlpha(70);
    const int radius = 10 + static_cast<int>(Mix(id, 30 + i) % (height / 4 + 1));
    const QPoint at(static_cast<int>(Mix(id, 50 + i) % width),
                    static_cast<int>(Mix(id, 70 + i) % height));
    painter.setBrush(light);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(at, radius, radius);
  }
  Caption(painter, image.rect(),
          (faded ? QStringLiteral("存档 ") : QString()) + QString::number(id), Qt::white);
  return image;
}

// Outlined characters on a transparent ground.
QImage WordArt(long id) {
  QImage image(480, 200, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font;
  font.setPixelSize(110);
  font.setBold(true);
  QPainterPath text;
  text.addText(0, 0, font, QStringLiteral("图匣"));
  text.translate(QRectF(image.rect()).center() - text.boundingRect().center());
  painter.setPen(QPen(Hue(id, 8, 255, 90), 6));
  painter.setBrush(Hue(id, 9));
  painter.drawPath(text);
  return image;
}

std::string Draw(std::string_view folder, long id, std::string_view variant) {
  if (folder == "sucai" && variant == ".png") return Encode(Element(id, false), "PNG");
  if (folder == "sucai" && variant == "_view.jpg") return Encode(Element(id, true), "JPG");
  if (folder == "banner" && variant == ".jpg") {
    return Encode(Background(id, 640 + static_cast<int>(Mix(id, 11) % 4) * 128, false), "JPG");
  }
  if (folder == "banner" && variant == "_s.jpg") return Encode(Background(id, 240, false), "JPG");
  if (folder == "ycbeijing" && variant == ".jpg") return Encode(Background(id, 720, true), "JPG");
  if (folder == "wordart" && variant == ".png") return Encode(WordArt(id), "PNG");
  return {};
}

}  // namespace

std::optional<std::string> PictureFile(std::string_view folder, std::string_view name) {
  long id = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
  if (error != std::errc() || id <= 0) return std::nullopt;
  const std::string_view variant(end, static_cast<std::size_t>(name.data() + name.size() - end));
  // Drawing shares one font engine; one picture at a time, each drawn once.
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> drawn;
  std::lock_guard lock(mutex);
  const std::string key = std::string(folder) + "/" + std::string(name);
  if (const auto found = drawn.find(key); found != drawn.end()) return found->second;
  std::string file = Draw(folder, id, variant);
  if (file.empty()) return std::nullopt;
  return drawn.emplace(key, std::move(file)).first->second;
}

}  // namespace demo
