#include "tools/KovaVssShadow/call_text.h"

#include <cstdio>

std::string HresultText(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

std::string CallResultLine(const std::string& method, HRESULT result) {
  return method + " -> " + HresultText(result);
}
