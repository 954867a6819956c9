// Runs one QtTest class of the windowed program's tests, named by the first
// argument (all of them without one); the other arguments go to QtTest.
#include <QApplication>
#include <QTest>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "ui/prompter.h"

namespace velqo::ui::testing {
QObject* MakeUiTest(const std::string& name);
std::vector<std::string> UiTestNames();
}  // namespace velqo::ui::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  using namespace velqo::ui::testing;
  std::vector<std::string> names;
  std::vector<char*> rest = {argv[0]};
  if (argc > 1 && argv[1][0] != '-') {
    names.push_back(argv[1]);
    for (int i = 2; i < argc; ++i) rest.push_back(argv[i]);
  } else {
    names = UiTestNames();
    for (int i = 1; i < argc; ++i) rest.push_back(argv[i]);
  }
  int failures = 0;
  for (const std::string& name : names) {
    std::unique_ptr<QObject> test(MakeUiTest(name));
    if (!test) {
      std::cerr << "no test class " << name << '\n';
      return 2;
    }
    failures += QTest::qExec(test.get(), static_cast<int>(rest.size()), rest.data());
  }
  return failures == 0 ? 0 : 1;
}
