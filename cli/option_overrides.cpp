#include "cli/option_overrides.h"

namespace velqo::cli {

namespace {

constexpr std::int32_t kEither = 2;  // an attribute filter that takes files with or without it

std::int32_t On(bool value) { return value ? 1 : 0; }

void SetDirectoryMode(OptionSet* s, DirectoryMode m) {
  s->SelectSeparate = On(m == DirectoryMode::kSeparate);
  s->UseDir1 = On(m == DirectoryMode::kStructure);
  s->UseDir1And = On(m == DirectoryMode::kRecursive);
  s->UseSubOnly = On(m == DirectoryMode::kSubdirectoriesOnly);
}

void SetFileMode(OptionSet* s, FileMode m) {
  s->VelqoOnly = On(m == FileMode::kMatching);
  s->Add1To2 = On(m == FileMode::kAdd);
  s->AddBothWays = On(m == FileMode::kBothWays);
  s->CleanUp = On(m == FileMode::kMirror);
}

void IncludeEveryFile(OptionSet* s) {
  s->HiddenFilter = kEither;
  s->ReadOnlyFilter = kEither;
  s->SystemFilter = kEither;
  s->ArchiveFilter = kEither;
  s->IncHidDir = 1;
}

}  // namespace

void ApplyOverrides(const OptionOverrides& o, OptionSet* s) {
  if (o.directory_mode) {
    SetDirectoryMode(s, *o.directory_mode);
  } else if (o.archive) {
    SetDirectoryMode(s, DirectoryMode::kRecursive);
  }
  if (o.file_mode) {
    SetFileMode(s, *o.file_mode);
  } else if (o.archive) {
    SetFileMode(s, FileMode::kAdd);
  }
  // The shorthands first, so that every explicit option can say otherwise.
  if (o.archive) {
    IncludeEveryFile(s);
    s->IncDotDir = 1;
    s->ConfirmEveryFile = 0;
    s->CreateNewDir = 1;
  }
  if (o.unattended) {
    s->JFDI = 1;
    s->ConfirmEveryFile = 0;
    s->CreateNewDir = 1;
    s->EnableLog = 1;
  }
  if (o.include_hidden) s->HiddenFilter = kEither;
  if (o.include_read_only) s->ReadOnlyFilter = kEither;
  if (o.include_system) s->SystemFilter = kEither;
  if (o.include_hidden_dirs) s->IncHidDir = 1;
  if (o.skip_dot_dirs) s->IncDotDir = 0;
  if (o.backup) s->CreateBackup = On(*o.backup);
  if (o.confirm) s->ConfirmEveryFile = On(*o.confirm);
  if (o.create_dirs) s->CreateNewDir = On(*o.create_dirs);
  if (!o.log_directory.empty() && s->LogFilePath.Assign(o.log_directory)) s->EnableLog = 1;
  if (o.log) s->EnableLog = On(*o.log);
  if (o.ignore_options_upd) s->IgnoreOptUpd = 1;
  if (o.include_extensions && s->ExtString.Assign(o.extensions)) s->Incl = On(*o.include_extensions);
  if (o.include_names && s->FileString.Assign(o.names)) s->InclFile = On(*o.include_names);
  if (o.exclude_older_than) {
    s->ExclDays = 1;
    s->ExclDaysInt = *o.exclude_older_than;
    // Leaving old files out never deletes them, whatever purge the stored
    // options name.
    s->DeleteExclDays = 0;
  }
  if (o.brief) s->Brief = 1;
  if (o.delete_dirs) s->DIRDEL = 1;
  if (o.overwrite_read_only) s->XATTR = 1;
  // Read-only files taken in must be able to replace their read-only copies.
  if (s->ReadOnlyFilter != 0) s->XATTR = 1;
  // A backup or a mirror never writes into its source; only the two-way
  // mode, whatever the stored settings, may.
  s->OneWay = s->AddBothWays == 1 ? 0 : 1;
}

}  // namespace velqo::cli
