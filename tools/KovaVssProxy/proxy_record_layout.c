/* The layout of the records as the proxy/stub code sees them. */
#include "KovaVssProxy.h"
#include "record_layout.h"

const size_t kova_proxy_record_layout[] = {KOVA_RECORD_TYPES(KOVA_RECORD_SIZE) KOVA_RECORD_FIELDS(KOVA_RECORD_OFFSET)};
const size_t kova_proxy_record_layout_count = sizeof kova_proxy_record_layout / sizeof kova_proxy_record_layout[0];
