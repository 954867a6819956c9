// Runs one update in the windowed program, driven as a user would drive it:
// the window is shown, Update is pressed, and the run's wall time is
// printed once the window is idle again.
//   window_bench
// The program reads its settings where velqo-cli reads them (HOME,
// XDG_CONFIG_HOME, VELQO_DRIVES as set by bench/window_bench.sh), so both
// programs update the same trees with the same options. The switch /J is
// given as velqo-cli's -j gives it: no question stops the run. Without a
// display the window runs on the offscreen platform.
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/posix/posix_platform.h"
#include "ui/main_window.h"
#include "ui/prompter.h"
#include "ui/velqo_app.h"

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication app(argc, argv);
  // Nobody is there to answer: a box takes its first button and is
  // reported, as a run that needs none should show none.
  velqo::ui::Prompter::SetNeverBlock(true);
  velqo::ui::VelqoApp velqo(velqo::PlatformConfig::FromEnvironment(),
                            std::vector<std::string>{argv[0], "/J"});
  if (!velqo.Create()) {
    std::fprintf(stderr, "window_bench: the program could not start\n");
    return 1;
  }
  velqo::ui::TFMain* main = velqo.main();
  main->SetQuit([] {});
  main->show();
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  auto* update = main->findChild<QPushButton*>("BBUpdate");
  if (update == nullptr || !update->isEnabled()) {
    std::fprintf(stderr, "window_bench: Update cannot be pressed\n");
    return 1;
  }
  const long pumps_before = velqo.host().pumps();
  const auto start = std::chrono::steady_clock::now();
  update->click();
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  const long pumps = velqo.host().pumps() - pumps_before;

  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  const auto* status = main->findChild<QLabel*>("StatusText");
  for (const auto& box : velqo::ui::Prompter::shown()) {
    std::fprintf(stderr, "box: %s: %s\n", qPrintable(box.caption), qPrintable(box.text));
  }
  std::printf("boxes=%d wall_seconds=%.3f user_seconds=%.3f system_seconds=%.3f pumps=%ld peak_rss_kb=%ld "
              "platform=%s status=\"%s\"\n",
              static_cast<int>(velqo::ui::Prompter::shown().size()), wall.count(),
              static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6,
              static_cast<double>(usage.ru_stime.tv_sec) + static_cast<double>(usage.ru_stime.tv_usec) / 1e6,
              pumps, usage.ru_maxrss, qPrintable(QGuiApplication::platformName()),
              status != nullptr ? qPrintable(status->text()) : "");
  return 0;
}
