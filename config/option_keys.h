#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "config/option_set.h"

namespace velqo {

// One field of the option set as the files store it: its key, where it lives
// in the record, and its first-run value.
struct OptionKey {
  std::string_view name;
  std::int32_t OptionSet::*number = nullptr;  // integer fields
  // Text fields: read access, and assignment that keeps what fits.
  std::string_view (*text)(const OptionSet&) = nullptr;
  void (*set_text)(OptionSet&, std::string_view) = nullptr;
  std::size_t text_size = 0;  // the field's array, terminating zero included
  std::int32_t first_run = 0;
  bool keeps_on_first_run = false;  // IncArcDir keeps whatever it holds

  bool is_text() const { return number == nullptr; }
};

// Every field, in record order.
std::span<const OptionKey> AllOptionKeys();
// The field of a key name (exact spelling); nullptr when there is none.
const OptionKey* FindOptionKey(std::string_view name);

// Orders in which the writers store the keys.
std::span<const std::string_view> DefaultsWriteOrder();    // every field
std::span<const std::string_view> OptionsUpdWriteOrder();  // the 24 a directory carries

// Sets every field to its first-run value; logs go below log_path.
void ApplyFirstRunValues(OptionSet* set, std::string_view log_path);

// A field's value as the files store it.
std::string OptionKeyValue(const OptionSet& set, const OptionKey& key);

}  // namespace velqo
