#include "config/option_tables.h"

namespace velqo {

void RebuildTables(AppState& s, const OptionSet& from) {
  FilterTables& t = s.opt.Tables;
  t.NumExtensions = ParseList(from.ExtString.view(), &t.ExtensionTable);
  t.NumFileNames = ParseList(from.FileString.view(), &t.FileNameTable);
}

}  // namespace velqo
