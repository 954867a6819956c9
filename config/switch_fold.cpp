#include "config/switch_fold.h"

#include <array>

#include "config/config_texts.h"
#include "config/option_keys.h"

namespace velqo {

namespace {

struct SwitchField {
  std::string_view key;
  int SwitchFlags::*flag;
  std::string_view alert;  // empty: none
};

constexpr std::array<SwitchField, 5> kFields = {{
    {"Quiet", &SwitchFlags::QuietSwitch, {}},
    {"Brief", &SwitchFlags::BriefSwitch, kAlertBrief},
    {"DIRDEL", &SwitchFlags::DirDelSwitch, kAlertDirDel},
    {"JFDI", &SwitchFlags::JfdiSwitch, kAlertJfdiAtLoad},
    {"XATTR", &SwitchFlags::XattrSwitch, kAlertXattr},
}};

constexpr std::array<std::string_view, 5> kNames = {"Quiet", "Brief", "DIRDEL", "JFDI", "XATTR"};

const SwitchField* FindField(std::string_view key) {
  for (const SwitchField& f : kFields) {
    if (f.key == key) return &f;
  }
  return nullptr;
}

bool SwitchGiven(const AppState& s, const SwitchField& f) {
  // /A runs unattended, so it silences the alerts as /Q does.
  if (f.flag == &SwitchFlags::QuietSwitch) return s.sw.QuietSwitch != 0 || s.sw.AutoStart != 0;
  return s.sw.*f.flag != 0;
}

}  // namespace

std::span<const std::string_view> SwitchFieldNames() { return kNames; }

bool IsSwitchField(std::string_view key) { return FindField(key) != nullptr; }

void FoldSwitchField(AppState& s, std::string_view key, ProfileSection* ini) {
  const SwitchField* f = FindField(key);
  const OptionKey* option = FindOptionKey(key);
  if (f == nullptr || option == nullptr || option->number == nullptr) return;
  OptionSet& d = s.opt.DefaultOptions;
  std::int32_t& field = d.*option->number;
  if (SwitchGiven(s, *f)) {
    field = 1;
  } else if (ini != nullptr) {
    field = ini->ReadInt(key, 0);
  }
  if (!f->alert.empty() && d.Quiet == 0 && field == 1) {
    s.host.MessageBox(f->alert, kCautionCaption, Icon::kWarning, Buttons::kOk);
  }
}

}  // namespace velqo
