// The LUN records the proxy/stub marshals have the layout of those the
// provider and the coordinator are built with (<vdslun.h>): a field at
// another offset would travel as another field.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "platform/vss_compat.h"
#include "record_layout.h"

namespace {

std::vector<size_t> ProgramLayout() {
  return {KOVA_RECORD_TYPES(KOVA_RECORD_SIZE) KOVA_RECORD_FIELDS(KOVA_RECORD_OFFSET)};
}

std::vector<const char*> LayoutNames() {
#define KOVA_NAME_OF_TYPE(type) "sizeof(" #type ")",
#define KOVA_NAME_OF_FIELD(type, field) #type "::" #field,
  return {KOVA_RECORD_TYPES(KOVA_NAME_OF_TYPE) KOVA_RECORD_FIELDS(KOVA_NAME_OF_FIELD)};
#undef KOVA_NAME_OF_TYPE
#undef KOVA_NAME_OF_FIELD
}

TEST(ProxyRecordLayoutTest, EverySizeAndOffsetIsThatOfTheWindowsHeaders) {
  const std::vector<size_t> program = ProgramLayout();
  const std::vector<const char*> names = LayoutNames();
  ASSERT_EQ(program.size(), kova_proxy_record_layout_count);
  for (size_t i = 0; i < program.size(); ++i) {
    EXPECT_EQ(program[i], kova_proxy_record_layout[i]) << names[i];
  }
}

}  // namespace
