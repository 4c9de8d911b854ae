#include "gui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/startup.h"

namespace tuxia::test {
namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    application_ = std::make_unique<QApplication>(argc_, argv_);
    PrepareProcess();
  }
  void TearDown() override { application_.reset(); }

 private:
  char name_[16] = "tuxia_app_test";
  char* argv_[2] = {name_, nullptr};
  int argc_ = 1;
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

void Mouse(QTest::MouseAction action, QWidget* target, Qt::MouseButton button, QPoint pos) {
  QWidget* window = target->window();
  QTest::mouseEvent(action, window->windowHandle(), button, {}, target->mapTo(window, pos));
}

}  // namespace tuxia::test
