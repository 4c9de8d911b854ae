// Start-up runs its steps in order, shows the window and runs the loop until it is closed.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "gui_support.h"

namespace tuxia {
namespace {

TEST(Startup, RunsTheStepsInOrderThenTheLoopUntilTheWindowCloses) {
  std::vector<std::string> steps;
  auto step = [&steps](const char* name) { return [&steps, name] { steps.push_back(name); }; };
  const int exitCode = RunProgram(
      {
          .skinStartupFirstHalf = step("first half"),
          .registerExitRoutine = step("exit routine registered"),
          .skinStartupSecondHalf = step("second half"),
      },
      test::kSiteAddress, {.created = [&steps](MainWindow& window) {
        steps.push_back(window.isVisible() ? "created, shown" : "created");
        QTimer::singleShot(0, &window, [&steps, &window] {
          steps.push_back(window.isVisible() ? "loop, window shown" : "loop");
          window.close();
        });
      }});
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(steps, (std::vector<std::string>{"first half", "exit routine registered", "second half",
                                             "created", "loop, window shown"}));
}

TEST(Startup, MissingStepsAreSkipped) {
  bool looped = false;
  const int exitCode =
      RunProgram({}, test::kSiteAddress, {.created = [&looped](MainWindow& window) {
                   QTimer::singleShot(0, &window, [&looped, &window] {
                     looped = true;
                     window.close();
                   });
                 }});
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(looped);
}

}  // namespace
}  // namespace tuxia
