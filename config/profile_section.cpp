#include "config/profile_section.h"

#include "common/platform/platform_ops.h"

namespace velqo {

bool ProfileSection::HasKey(std::string_view key) {
  for (const std::string& name : store_.KeyNames(file_, section_)) {
    if (EqualsIgnoreCase(name, key)) return true;
  }
  return false;
}

}  // namespace velqo
