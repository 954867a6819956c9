#include <algorithm>
#include <string>
#include <utility>

#include "actions/copy_backup.h"
#include "actions/log_format.h"
#include "common/platform/platform_ops.h"

namespace velqo {

bool BackupPathFor(std::string_view path, std::string* backup) {
  const std::string_view name = NamePart(path);
  if (name.empty()) return false;
  // The extension is what follows the name's last dot; a name without one
  // is treated like a one-letter extension and gets the backup NAME.~.
  const std::size_t dot = name.rfind('.');
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (EqualsIgnoreCase(extension, "BAK")) return false;
  if (!extension.empty() && extension.front() == '~') return false;
  const std::size_t stem = path.size() - name.size() + std::min(dot, name.size());
  std::string result(path.substr(0, stem));
  result += ".~";
  if (!extension.empty()) result += extension.substr(0, extension.size() - 1);
  *backup = std::move(result);
  return true;
}

}  // namespace velqo
