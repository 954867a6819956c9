#include "sync/conflict_name.h"

#include <cstdio>

namespace velqo::sync {

std::string ConflictName(std::string_view name, std::string_view host, const LocalTime& when,
                         int attempt) {
  const std::size_t dot = name.rfind('.');
  const bool has_extension = dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
  const std::string_view stem = has_extension ? name.substr(0, dot) : name;
  const std::string_view extension = has_extension ? name.substr(dot) : std::string_view();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  std::string result(stem);
  result += ".conflict-";
  // A host name holds no separator of its own; one that did would make the
  // saved copy land in another directory.
  for (char c : host) result += (c == '/' || c == '\\') ? '_' : c;
  result += '-';
  result += stamp;
  if (attempt > 1) result += "-" + std::to_string(attempt);
  result += extension;
  return result;
}

}  // namespace velqo::sync
