#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/sandbox.h"
#include "ui/main_window.h"
#include "ui/velqo_app.h"

class QWidget;

namespace velqo::ui::testing {

// Registers a QtTest class so the test program can run it by name.
bool RegisterUiTest(const char* name, std::function<QObject*()> make);
#define VELQO_UI_TEST(Class) \
  static const bool registered_##Class = ::velqo::ui::testing::RegisterUiTest(#Class, [] { return new Class; });

// A program under test: a sandbox with drives C:, D:, E:, its INI file and
// skins, and the windowed program created over it. Message boxes never
// block: a test queues their answers through the Prompter.
class UiSandbox {
 public:
  UiSandbox();
  ~UiSandbox();

  velqo::testing::Sandbox& sandbox() { return *sandbox_; }
  std::string IniPath() const { return sandbox_->ProgramDir() + "/WINVELQO.INI"; }
  // A complete INI file with plain values, Path1 C:\ and Path2 D:\, with
  // some keys changed.
  void WriteIni(const std::map<std::string, std::string>& changes = {});
  void AppendIni(const std::string& text);
  std::string IniValue(const std::string& key) const;  // "<missing>" when absent

  // Creates the program (false when it could not start) and shows its window.
  bool Start(std::vector<std::string> switches = {}, bool show = true,
             PlatformConfig* config_override = nullptr);
  // Ends the program (after closing its window), as a user's next start
  // finds it.
  void Stop() { app_.reset(); }
  VelqoApp& app() { return *app_; }
  TFMain& main();
  template <typename T>
  T* find(const char* name) const {
    return app_->main()->findChild<T*>(name);
  }
  QWidget* widget(const char* name) const;

 private:
  std::unique_ptr<velqo::testing::Sandbox> sandbox_;
  std::unique_ptr<VelqoApp> app_;
};

// Once a modal dialog named `dialog` is up, runs `act` on it (polling the
// event loop; gives up after about ten seconds).
void WhenModal(const QString& dialog, std::function<void(QWidget*)> act, int tries = 1000);
// The same, clicking one of its buttons by name.
void ClickWhenModal(const QString& dialog, const QString& button);

// Clicks the button named `button` in the modal dialog named `dialog` as
// soon as that dialog is up, once per entry, in order.
class DialogClicker : public QObject {
 public:
  void Queue(const QString& dialog, const QString& button) { steps_.push_back({dialog, button}); }
  void Start();
  int remaining() const { return static_cast<int>(steps_.size()); }
  std::vector<QString> seen_texts;  // LFile1Name of each dialog answered

 private:
  void Tick();
  std::vector<std::pair<QString, QString>> steps_;
};

}  // namespace velqo::ui::testing
