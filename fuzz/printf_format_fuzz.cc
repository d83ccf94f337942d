// Arbitrary format strings, narrow and wide, against one fixed list of
// arguments of every kind the formatter accepts: no input may crash, read
// out of bounds or run into undefined behaviour, and the output stays
// bounded by the field width limit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "library/log/printf_format.h"

namespace {

std::string FormatAll(const std::string& format, const std::wstring& wide_format) {
  const std::string narrow = "narrow";
  const std::wstring wide = L"wide \u00e9\U0001F600";
  const char* null_narrow = nullptr;
  const wchar_t* null_wide = nullptr;
  const std::string embedded_nul("a\0b", 3);
  const std::initializer_list<FormatArg> args = {42,
                                                 -1,
                                                 uint32_t{0xC0003000},
                                                 int64_t{-5},
                                                 uint64_t{~0ull},
                                                 static_cast<short>(-7),
                                                 uint8_t{200},
                                                 'c',
                                                 L'x',
                                                 char32_t{0x10FFFF},
                                                 true,
                                                 3.5,
                                                 -2.5e300,
                                                 1e-300,
                                                 "literal",
                                                 narrow,
                                                 wide,
                                                 L"wide literal",
                                                 null_narrow,
                                                 null_wide,
                                                 embedded_nul,
                                                 static_cast<const void*>(&narrow),
                                                 nullptr,
                                                 -2147483647 - 1,
                                                 4096,
                                                 -4096};
  std::string out = FormatPrintf(format.c_str(), args);
  out += FormatPrintf(wide_format.c_str(), args);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string format(reinterpret_cast<const char*>(data), size);
  std::wstring wide_format;
  for (size_t i = 0; i + 1 < size; i += 2) {
    wide_format.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  }
  const std::string out = FormatAll(format, wide_format);
  // Every directive takes two or more characters and prints at most one
  // padded field (a floating value may add its integer digits).
  if (out.size() > (size + 1) * (kMaxFieldWidth + 1024)) __builtin_trap();
  return 0;
}
