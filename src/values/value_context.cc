#include "values/value_context.h"

#include "storage/app_settings.h"

namespace portalmend {

namespace {
// Collation ids that mean "no collation".
constexpr std::int64_t kNoCollation = -1;
constexpr std::int64_t kZeroCollation = 0;
}  // namespace

ValueContext ValueContext::from_settings(bool table_data) {
  ValueContext context;
  context.collations = &theApp.collation_table;
  context.chosen = &theApp.chosen_collation;
  context.table_data = table_data;
  return context;
}

std::int32_t ValueContext::code_page_for(std::int64_t collation_id) const {
  if (!table_data || collation_id == kNoCollation || collation_id == kZeroCollation) return kSystemAnsiCodePage;
  if (chosen != nullptr && chosen->known && chosen->id == collation_id) return chosen->code_page;
  if (collations != nullptr) {
    if (const CollationEntry* entry = collations->find(collation_id)) return entry->code_page;
  }
  return kSystemAnsiCodePage;
}

}  // namespace portalmend
