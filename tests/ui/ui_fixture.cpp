#include "tests/ui/ui_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/profile/profile.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace velqo::ui::testing {

namespace {

std::map<std::string, std::function<QObject*()>>& Registry() {
  static std::map<std::string, std::function<QObject*()>> registry;
  return registry;
}

}  // namespace

bool RegisterUiTest(const char* name, std::function<QObject*()> make) {
  Registry()[name] = std::move(make);
  return true;
}

QObject* MakeUiTest(const std::string& name) {
  const auto found = Registry().find(name);
  return found == Registry().end() ? nullptr : found->second();
}

std::vector<std::string> UiTestNames() {
  std::vector<std::string> names;
  for (const auto& entry : Registry()) names.push_back(entry.first);
  return names;
}

UiSandbox::UiSandbox() : sandbox_(std::make_unique<velqo::testing::Sandbox>()) {
  Prompter::Reset();
  Prompter::SetNeverBlock(true);
  // The build tree's skins, as the program directory of a build holds them.
  std::filesystem::copy(VELQO_SKINS_DIR, sandbox_->ProgramDir() + "/Skins",
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(VELQO_HELP_DIR, sandbox_->ProgramDir() + "/help",
                        std::filesystem::copy_options::recursive);
}

UiSandbox::~UiSandbox() {
  app_.reset();
  qApp->setStyleSheet(QString());
  Prompter::Reset();
}

void UiSandbox::WriteIni(const std::map<std::string, std::string>& changes) {
  sandbox_->MakeDir("C:\\LOG");
  std::map<std::string, std::string> keys = {
      {"MainLeft", "20"}, {"MainTop", "30"}, {"MainWidth", "700"}, {"MainHeight", "500"},
      {"MainSkin", "None"}, {"Path1", "C:\\"}, {"Path2", "D:\\"}, {"SelectSeparate", "1"},
      {"UseDir1", "0"}, {"UseDir1And", "0"}, {"UseSubOnly", "0"}, {"UseBatchFile", "0"},
      {"VelqoOnly", "1"}, {"Add1To2", "0"}, {"AddBothWays", "0"}, {"CleanUp", "0"},
      {"ConfirmEveryFile", "0"}, {"CreateBackup", "0"}, {"CreateNewDir", "1"},
      {"IgnoreOptUpd", "1"}, {"ArchiveFilter", "2"}, {"ReadOnlyFilter", "0"},
      {"HiddenFilter", "0"}, {"SystemFilter", "0"}, {"ExclDays", "0"}, {"ExclDaysInt", "0"},
      {"DeleteExclDays", "0"}, {"ExclDaysDriveString", ""}, {"IncArcDir", "1"},
      {"IncHidDir", "0"}, {"IncRODir", "1"}, {"IncSysDir", "0"}, {"Incl", "0"},
      {"ExtString", ""}, {"InclFile", "0"}, {"FileString", ""}, {"EnableLog", "1"},
      {"LogFilePath", "C:\\LOG"}, {"AutoGenerateFile", "0"}, {"AppendToFile", "1"},
      {"ShowHints", "1"}, {"Brief", "0"}, {"DIRDEL", "0"}, {"JFDI", "0"}, {"Quiet", "0"},
      {"XATTR", "0"}};
  for (const auto& [key, value] : changes) keys[key] = value;
  std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
  out << "[WINVELQO]\r\n";
  for (const auto& [key, value] : keys) {
    if (value != "<missing>") out << key << "=" << value << "\r\n";
  }
}

void UiSandbox::AppendIni(const std::string& text) {
  std::ofstream(IniPath(), std::ios::binary | std::ios::app) << text;
}

std::string UiSandbox::IniValue(const std::string& key) const {
  std::ifstream in(IniPath(), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const auto value = IniDocument::Parse(ss.str()).Get("WINVELQO", key);
  return value ? *value : "<missing>";
}

bool UiSandbox::Start(std::vector<std::string> switches, bool show, PlatformConfig* config_override) {
  std::vector<std::string> args = {sandbox_->ProgramDir() + "/velqo"};
  args.insert(args.end(), switches.begin(), switches.end());
  const PlatformConfig config = config_override != nullptr ? *config_override : sandbox_->Config();
  app_ = std::make_unique<VelqoApp>(config, args);
  if (!app_->Create()) return false;
  app_->main()->SetQuit([] {});
  if (show) {
    app_->main()->show();
    QApplication::processEvents();
  }
  return true;
}

TFMain& UiSandbox::main() { return *app_->main(); }

QWidget* UiSandbox::widget(const char* name) const {
  return app_->main()->findChild<QWidget*>(name);
}

void WhenModal(const QString& dialog, std::function<void(QWidget*)> act, int tries) {
  QTimer::singleShot(10, [dialog, act = std::move(act), tries]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == dialog) return act(modal);
    if (tries > 0) WhenModal(dialog, std::move(act), tries - 1);
  });
}

void ClickWhenModal(const QString& dialog, const QString& button) {
  WhenModal(dialog, [button](QWidget* modal) {
    if (auto* b = modal->findChild<QPushButton*>(button)) b->click();
  });
}

void DialogClicker::Start() { QTimer::singleShot(10, this, [this] { Tick(); }); }

void DialogClicker::Tick() {
  if (steps_.empty()) return;
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (dialog != nullptr && dialog->objectName() == steps_.front().first) {
    if (auto* name = dialog->findChild<QLabel*>("LFile1Name")) seen_texts.push_back(name->text());
    auto* button = dialog->findChild<QPushButton*>(steps_.front().second);
    steps_.erase(steps_.begin());
    if (button != nullptr) button->click();
  }
  QTimer::singleShot(10, this, [this] { Tick(); });
}

}  // namespace velqo::ui::testing
