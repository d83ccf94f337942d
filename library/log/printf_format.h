// Type-safe printf: the system's quoted format strings ("%hs", "%ls", "%d",
// "%08x", ...) are used verbatim, while every argument carries its own type,
// so a format never reads an argument as something it is not.
//
// Supported: flags - + space # 0; width and precision, each a number or *;
// length modifiers hh h l ll j z t L and the Windows I64, I32 and I; the
// conversions d i u o x X c C s S p f F e E g G a A n and %%.
//
// Rules where this differs from, or pins down, printf:
// - Integers keep their own byte width and signedness, after the usual
//   promotion of what is narrower than int to int; the conversion decides
//   only how the bits are read: "%d" of the unsigned 32-bit 0xC0003000
//   prints -1073729536, "%x" of the int -1 prints ffffffff, "%x" of the
//   64-bit -1 prints sixteen f, "%d" of the uint8_t 200 prints 200. Only h
//   and hh narrow the value (to 16 and 8 bits); the other length modifiers
//   are accepted and ignored.
// - "%s", "%S", "%hs" and "%ls" all print whatever string they are given:
//   narrow strings as their bytes, wide strings converted to UTF-8. A null
//   character pointer prints "(null)". For strings, width and precision count
//   characters (UTF-8 code points), so a character is never cut in half.
// - "%c" prints a byte; "%lc", "%C" or a wide character argument print the
//   character's UTF-8 encoding.
// - "%p" prints the address as upper-case hexadecimal, zero-filled to the
//   pointer's width ("000000000012FF7C"); a string given to "%p" prints the
//   address of its characters, an integer prints as an address.
// - An argument that does not suit its conversion (a string for "%d", a
//   number for "%s", a floating value for "%x") prints in its natural form:
//   integers in decimal, bool as true/false, characters as themselves,
//   floating values as "%g", strings as their text, pointers as "%p"; only
//   the width and the - flag apply. Integers given to a floating conversion
//   are converted to floating point.
// - A directive without an argument left prints nothing; extra arguments
//   are ignored. A * without an integer argument means no width (precision).
// - "%n" consumes its argument and writes nothing. An unknown conversion is
//   copied to the output as written; a "%" at the end of the format prints
//   itself. A null format gives "".
// - Widths and precisions above kMaxFieldWidth count as kMaxFieldWidth.
// Floating values are formatted in the C locale's manner by the C library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

inline constexpr int kMaxFieldWidth = 4096;

// One argument of FormatPrintf, made implicitly from the argument itself.
// It refers to string arguments without copying them: it must not outlive
// the argument (a FormatArg is meant to live for one call).
class FormatArg {
 public:
  enum class Kind {
    kSigned,    // signed integer of width() bytes
    kUnsigned,  // unsigned integer of width() bytes
    kBool,
    kNarrowChar,  // char
    kWideChar,    // wchar_t, char16_t, char32_t
    kFloating,
    kNarrowString,  // bytes, normally UTF-8
    kWideString,
    kPointer,
  };

  FormatArg(signed char value) : FormatArg(Kind::kSigned, value, sizeof value) {}
  FormatArg(short value) : FormatArg(Kind::kSigned, value, sizeof value) {}
  FormatArg(int value) : FormatArg(Kind::kSigned, value, sizeof value) {}
  FormatArg(long value) : FormatArg(Kind::kSigned, value, sizeof value) {}
  FormatArg(long long value) : FormatArg(Kind::kSigned, value, sizeof value) {}
  FormatArg(unsigned char value) : FormatArg(Kind::kUnsigned, value, sizeof value) {}
  FormatArg(unsigned short value) : FormatArg(Kind::kUnsigned, value, sizeof value) {}
  FormatArg(unsigned value) : FormatArg(Kind::kUnsigned, value, sizeof value) {}
  FormatArg(unsigned long value) : FormatArg(Kind::kUnsigned, value, sizeof value) {}
  FormatArg(unsigned long long value)
      : FormatArg(Kind::kUnsigned, static_cast<uint64_t>(value), sizeof value) {}
  FormatArg(bool value) : FormatArg(Kind::kBool, value ? 1 : 0, 1) {}
  FormatArg(char value) : FormatArg(Kind::kNarrowChar, value, 1) {}
  FormatArg(wchar_t value) : FormatArg(Kind::kWideChar, value, sizeof value) {}
  FormatArg(char16_t value) : FormatArg(Kind::kWideChar, value, sizeof value) {}
  FormatArg(char32_t value) : FormatArg(Kind::kWideChar, value, sizeof value) {}
  FormatArg(float value) : kind_(Kind::kFloating), floating_(value) {}
  FormatArg(double value) : kind_(Kind::kFloating), floating_(value) {}
  FormatArg(long double value) : kind_(Kind::kFloating), floating_(static_cast<double>(value)) {}
  FormatArg(const char* value) : kind_(Kind::kNarrowString), narrow_(value) {}
  FormatArg(std::string_view value)
      : kind_(Kind::kNarrowString), length_(value.size()), narrow_(value.data()) {}
  FormatArg(const std::string& value) : FormatArg(std::string_view(value)) {}
  FormatArg(const wchar_t* value) : kind_(Kind::kWideString), wide_(value) {}
  FormatArg(std::wstring_view value)
      : kind_(Kind::kWideString), length_(value.size()), wide_(value.data()) {}
  FormatArg(const std::wstring& value) : FormatArg(std::wstring_view(value)) {}
  FormatArg(const void* value) : kind_(Kind::kPointer), pointer_(value) {}
  FormatArg(std::nullptr_t) : kind_(Kind::kPointer), pointer_(nullptr) {}
  // Enumerations print as their underlying integer.
  template <typename Enum, std::enable_if_t<std::is_enum<Enum>::value, int> = 0>
  FormatArg(Enum value) : FormatArg(static_cast<std::underlying_type_t<Enum>>(value)) {}

  Kind kind() const { return kind_; }
  // Byte width of an integer, bool or character argument, at least that
  // of int.
  int width() const { return width_; }
  // The integer bits of the lowest `bytes` bytes (at most the argument's
  // width), read as signed or unsigned. Pointers give their address.
  int64_t AsSigned(int bytes) const;
  uint64_t AsUnsigned(int bytes) const;
  double floating() const { return floating_; }
  // String arguments: the text as UTF-8, "(null)" for a null pointer.
  std::string Text() const;
  // The address of a pointer or character pointer argument.
  const void* address() const;

 private:
  static constexpr size_t kUnknownLength = static_cast<size_t>(-1);

  // As printf's caller would, promotes what is narrower than int to int.
  template <typename Int>
  FormatArg(Kind kind, Int value, int width)
      : kind_(kind),
        width_(width < static_cast<int>(sizeof(int)) ? static_cast<int>(sizeof(int)) : width),
        bits_(static_cast<uint64_t>(value)) {}

  Kind kind_;
  int width_ = 0;
  size_t length_ = kUnknownLength;  // strings: kUnknownLength = zero-terminated
  union {
    uint64_t bits_;  // integers: the value, sign-extended to 64 bits
    double floating_;
    const char* narrow_;
    const wchar_t* wide_;
    const void* pointer_;
  };
};

std::string FormatPrintf(const char* format, const FormatArg* args, size_t count);
inline std::string FormatPrintf(const char* format, std::initializer_list<FormatArg> args) {
  return FormatPrintf(format, args.begin(), args.size());
}

// A wide format is converted to UTF-8 first; the result is UTF-8.
std::string FormatPrintf(const wchar_t* format, const FormatArg* args, size_t count);
inline std::string FormatPrintf(const wchar_t* format, std::initializer_list<FormatArg> args) {
  return FormatPrintf(format, args.begin(), args.size());
}
