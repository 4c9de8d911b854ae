#pragma once
// What the GUI tests share: a QApplication prepared as the program prepares it at start-up, the
// window's controls by name, and mouse input that goes through the window system as a user's
// would.
#include <gtest/gtest.h>

#include <QColor>
#include <QRect>
#include <QStringList>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <ostream>

namespace tuxia::test {

// The site's root address every GUI test builds its windows with.
inline constexpr const char* kSiteAddress = "http://example.test/";

// The child of `window` named `name`; fails the test when there is none.
template <typename Control = QWidget>
Control* Find(const QObject& window, const char* name) {
  auto* control = window.findChild<Control*>(QString::fromUtf8(name));
  if (!control) ADD_FAILURE() << "no control named " << name;
  return control;
}

// Sends `action` with `button` at `pos` (in `target`'s coordinates) to `target`'s top-level
// window, which delivers it to the control under that point.
void Mouse(QTest::MouseAction action, QWidget* target, Qt::MouseButton button, QPoint pos);

}  // namespace tuxia::test

// Readable values in the messages of failed checks.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) { PrintTo(texts.join(u'|'), out); }
inline void PrintTo(const QUrl& url, std::ostream* out) { PrintTo(url.toString(), out); }
inline void PrintTo(const QPoint& point, std::ostream* out) {
  *out << "(" << point.x() << ", " << point.y() << ")";
}
inline void PrintTo(const QSize& size, std::ostream* out) {
  *out << size.width() << " x " << size.height();
}
inline void PrintTo(const QRect& rect, std::ostream* out) {
  PrintTo(rect.topLeft(), out);
  *out << " ";
  PrintTo(rect.size(), out);
}
inline void PrintTo(const QColor& colour, std::ostream* out) {
  *out << colour.name().toStdString();
}
