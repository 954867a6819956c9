#include <QApplication>
#include <exception>
#include <iostream>

#include "ui/main_window.h"
#include "ui/single_instance.h"
#include "ui/velqo_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace velqo::ui;
  SingleInstance instance(SingleInstance::DefaultName());
  if (instance.HandOverToRunningCopy()) return 0;
  try {
    VelqoApp velqo(velqo::PlatformConfig::FromEnvironment(),
                   std::vector<std::string>(argv, argv + argc));
    if (!velqo.Create()) return 1;
    QObject::connect(&instance, &SingleInstance::showRequested, [&velqo] { velqo.ShowRunningWindow(); });
    velqo.main()->show();
    return app.exec();
  } catch (const std::exception& e) {
    std::cerr << "velqo: stopped by an internal error: " << e.what() << '\n';
    return 2;
  }
}
