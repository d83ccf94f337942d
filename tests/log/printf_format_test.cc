#include "library/log/printf_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

template <typename T>
std::string CLibrary(const char* format, T value) {
  char buffer[512];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// Where the argument types match, the output is the C library's.
TEST(LogPrintfFormat, IntegerConversionsAgreeWithTheCLibrary) {
  const std::vector<const char*> signed_formats = {"%d",  "%i",   "%5d",  "%-5d|",   "%05d",  "%+d",
                                                   "% d", "%.3d", "%.0d", "%+08.3d", "%-+6i|"};
  const std::vector<const char*> unsigned_formats = {"%u",  "%o",   "%#o",   "%x",   "%#x",    "%X",
                                                     "%#X", "%08x", "%-8x|", "%.0x", "%#10.4X"};
  for (int value :
       {0, 1, -1, 42, -42, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
    for (const char* format : signed_formats) {
      EXPECT_EQ(FormatPrintf(format, {value}), CLibrary(format, value)) << format << " " << value;
    }
    for (const char* format : unsigned_formats) {
      EXPECT_EQ(FormatPrintf(format, {value}), CLibrary(format, static_cast<unsigned>(value)))
          << format << " " << value;
    }
  }
}

TEST(LogPrintfFormat, LengthModifiersAgreeWithTheCLibrary) {
  const long long big = -1234567890123LL;
  EXPECT_EQ(FormatPrintf("%lld", {big}), CLibrary("%lld", big));
  EXPECT_EQ(FormatPrintf("%I64d", {big}), CLibrary("%lld", big));
  EXPECT_EQ(FormatPrintf("%ld", {big}), CLibrary("%lld", big));
  EXPECT_EQ(FormatPrintf("%jd", {big}), CLibrary("%lld", big));
  EXPECT_EQ(FormatPrintf("%llx", {big}), CLibrary("%llx", static_cast<unsigned long long>(big)));
  EXPECT_EQ(FormatPrintf("%I64u", {uint64_t{18446744073709551615u}}), "18446744073709551615");
  EXPECT_EQ(FormatPrintf("%zu", {size_t{4096}}), "4096");
  EXPECT_EQ(FormatPrintf("%td", {std::ptrdiff_t{-3}}), "-3");
  // h and hh narrow the value as printf converts it.
  EXPECT_EQ(FormatPrintf("%hd", {70000}), CLibrary("%hd", 70000));
  EXPECT_EQ(FormatPrintf("%hhd", {300}), CLibrary("%hhd", 300));
  EXPECT_EQ(FormatPrintf("%hx", {-1}), "ffff");
  EXPECT_EQ(FormatPrintf("%hhu", {-1}), "255");
}

TEST(LogPrintfFormat, IntegersKeepTheirWidthAndSignedness) {
  EXPECT_EQ(FormatPrintf("msgCode=%d", {uint32_t{0xC0003000}}), "msgCode=-1073729536");
  EXPECT_EQ(FormatPrintf("%x", {-1}), "ffffffff");
  EXPECT_EQ(FormatPrintf("%x", {int64_t{-1}}), "ffffffffffffffff");
  EXPECT_EQ(FormatPrintf("%u", {-1}), "4294967295");
  EXPECT_EQ(FormatPrintf("%08x", {static_cast<int32_t>(0x80042306)}), "80042306");
  EXPECT_EQ(FormatPrintf("%d", {uint64_t{0xFFFFFFFFFFFFFFFF}}), "-1");
  // Narrower types are promoted to int first, as a variadic call does.
  EXPECT_EQ(FormatPrintf("%d", {uint8_t{200}}), "200");
  EXPECT_EQ(FormatPrintf("%x", {static_cast<short>(-1)}), "ffffffff");
  EXPECT_EQ(FormatPrintf("%d %d", {true, 'A'}), "1 65");
  enum Color { kRed = 7 };
  EXPECT_EQ(FormatPrintf("%d", {kRed}), "7");
}

TEST(LogPrintfFormat, FloatingConversionsAgreeWithTheCLibrary) {
  const std::vector<const char*> formats = {"%f",    "%.2f", "%10.3f",  "%-10.1f|", "%e",
                                            "%E",    "%g",   "%G",      "%+.1e",    "%#.0f",
                                            "% .3g", "%a",   "%010.2f", "%F"};
  for (double value : {0.0, 1.5, -2.25, 1e10, 123.456, 1e-7}) {
    for (const char* format : formats) {
      EXPECT_EQ(FormatPrintf(format, {value}), CLibrary(format, value)) << format << " " << value;
    }
  }
  EXPECT_EQ(FormatPrintf("%.1f", {2.5f}), "2.5");
  EXPECT_EQ(FormatPrintf("%Lf", {1.25L}), "1.250000");
}

TEST(LogPrintfFormat, EveryStringDirectivePrintsNarrowAndWideStrings) {
  const std::string narrow = "narrow";
  const std::wstring wide = L"wide";
  for (const char* format : {"%s", "%S", "%hs", "%ls", "%ws"}) {
    EXPECT_EQ(FormatPrintf(format, {"literal"}), "literal") << format;
    EXPECT_EQ(FormatPrintf(format, {narrow}), "narrow") << format;
    EXPECT_EQ(FormatPrintf(format, {L"wide literal"}), "wide literal") << format;
    EXPECT_EQ(FormatPrintf(format, {wide}), "wide") << format;
  }
  char buffer[] = "buffer";
  EXPECT_EQ(FormatPrintf("%hs", {buffer}), "buffer");
  EXPECT_EQ(FormatPrintf("%s", {std::string_view("view!", 4)}), "view");
  EXPECT_EQ(FormatPrintf("[%s]", {std::string("a\0b", 3)}), std::string("[a\0b]", 5));
}

TEST(LogPrintfFormat, WideStringsBecomeUtf8AndCountCharacters) {
  EXPECT_EQ(FormatPrintf("%ls", {L"Gr\u00fc\u00dfe \u20ac"}),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
  EXPECT_EQ(FormatPrintf("%.3ls", {L"Gr\u00fc\u00dfe"}), "Gr\xC3\xBC");
  EXPECT_EQ(FormatPrintf("%6ls|", {L"\u00fc"}), "     \xC3\xBC|");
  EXPECT_EQ(FormatPrintf("%-4s|", {"\xC3\xBC"}), "\xC3\xBC   |");
  EXPECT_EQ(FormatPrintf("%10s|%-10s|%.2s", {"right", "left", "cut"}), "     right|left      |cu");
  EXPECT_EQ(FormatPrintf(L"%ls=%d (%hs)", {L"key", 5, "narrow"}), "key=5 (narrow)");
}

TEST(LogPrintfFormat, CharactersAndPointers) {
  EXPECT_EQ(FormatPrintf("%c%c%3c|%-3c|", {'a', 66, 'c', 'd'}), "aB  c|d  |");
  EXPECT_EQ(FormatPrintf("%c", {L'\u20ac'}), "\xE2\x82\xAC");
  EXPECT_EQ(FormatPrintf("%lc", {0xE9}), "\xC3\xA9");
  EXPECT_EQ(FormatPrintf("%C", {0x20AC}), "\xE2\x82\xAC");
  EXPECT_EQ(FormatPrintf("%lc", {-5}), "\xEF\xBF\xBD");
  EXPECT_EQ(FormatPrintf("%c", {0x141}), "A");  // only the low byte, as printf

  const std::string digits(2 * sizeof(void*), '0');
  EXPECT_EQ(FormatPrintf("%p", {nullptr}), digits);
  const void* address = reinterpret_cast<const void*>(uintptr_t{0x12ff7c});
  EXPECT_EQ(FormatPrintf("%p", {address}), digits.substr(6) + "12FF7C");
  const char* text = "text";
  EXPECT_EQ(FormatPrintf("%p", {text}), FormatPrintf("%p", {static_cast<const void*>(text)}));
  EXPECT_NE(FormatPrintf("%p", {text}), "text");
  int local = 0;
  EXPECT_EQ(FormatPrintf("%p", {&local}).size(), digits.size());
}

TEST(LogPrintfFormat, StarTakesWidthAndPrecisionFromArguments) {
  EXPECT_EQ(FormatPrintf("%*d|", {5, 42}), "   42|");
  EXPECT_EQ(FormatPrintf("%*d|", {-5, 42}), "42   |");
  EXPECT_EQ(FormatPrintf("%-*d|", {4, 7}), "7   |");
  EXPECT_EQ(FormatPrintf("%.*f", {2, 3.14159}), "3.14");
  EXPECT_EQ(FormatPrintf("%*.*s|", {6, 2, "abcdef"}), "    ab|");
  EXPECT_EQ(FormatPrintf("%.*s", {-1, "abc"}), "abc");
  EXPECT_EQ(FormatPrintf("%*d", {"not a width", 9}), "9");
  EXPECT_EQ(FormatPrintf("%*d", {std::numeric_limits<int64_t>::min(), 1}).size(),
            static_cast<size_t>(kMaxFieldWidth));
}

// A mismatched argument prints in its natural form; nothing reads an
// argument as something it is not.
TEST(LogPrintfFormat, MismatchedArgumentsPrintInTheirNaturalForm) {
  EXPECT_EQ(FormatPrintf("%d", {"text"}), "text");
  EXPECT_EQ(FormatPrintf("%5x|", {"ab"}), "   ab|");
  EXPECT_EQ(FormatPrintf("%s %s %s", {42, -7, uint32_t{0xC0003000}}), "42 -7 3221237760");
  EXPECT_EQ(FormatPrintf("%s %s %s", {2.5, true, 'c'}), "2.5 true c");
  EXPECT_EQ(FormatPrintf("%ls", {L'x'}), "x");
  EXPECT_EQ(FormatPrintf("%x", {2.5}), "2.5");
  EXPECT_EQ(FormatPrintf("%c", {"string"}), "string");
  EXPECT_EQ(FormatPrintf("%f", {"string"}), "string");
  EXPECT_EQ(FormatPrintf("%f", {3}), "3.000000");
  EXPECT_EQ(FormatPrintf("%.1f", {uint64_t{1} << 40}), "1099511627776.0");
  const void* address = reinterpret_cast<const void*>(uintptr_t{0xAB});
  EXPECT_EQ(FormatPrintf("%s", {address}), FormatPrintf("%p", {address}));
  EXPECT_EQ(FormatPrintf("%d", {address}), "171");
}

TEST(LogPrintfFormat, NullStringsMissingAndExtraArguments) {
  const char* null_narrow = nullptr;
  const wchar_t* null_wide = nullptr;
  EXPECT_EQ(FormatPrintf("%s|%ls|%hs", {null_narrow, null_wide, null_narrow}),
            "(null)|(null)|(null)");
  EXPECT_EQ(FormatPrintf("a%db%sc%fd%pe", {}), "abcde");
  EXPECT_EQ(FormatPrintf("%d-%d", {1}), "1-");
  EXPECT_EQ(FormatPrintf("%d", {1, 2, "three"}), "1");
  EXPECT_EQ(FormatPrintf("no directives", {1}), "no directives");
  EXPECT_EQ(FormatPrintf(static_cast<const char*>(nullptr), {1}), "");
}

TEST(LogPrintfFormat, PercentUnknownConversionsAndLimits) {
  EXPECT_EQ(FormatPrintf("100%% done", {}), "100% done");
  EXPECT_EQ(FormatPrintf("%5%|", {}), "%|");
  EXPECT_EQ(FormatPrintf("%y%d", {5}), "%y5");
  EXPECT_EQ(FormatPrintf("trailing %", {}), "trailing %");
  EXPECT_EQ(FormatPrintf("trailing %-08", {1}), "trailing %-08");
  EXPECT_EQ(FormatPrintf("x%ny%d", {0, 5}), "xy5");
  EXPECT_EQ(FormatPrintf("%99999999999d", {1}).size(), static_cast<size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatPrintf("%.99999999999f", {1.0}).size(), static_cast<size_t>(kMaxFieldWidth) + 2);
}

// The system's own format strings, used verbatim.
TEST(LogPrintfFormat, SystemFormatStrings) {
  EXPECT_EQ(FormatPrintf("LogEvent: Code=%d, msgCat=%d, msgCode=%d, Msg=%ls",
                         {1, 1, uint32_t{0xC0003000}, std::string("oops")}),
            "LogEvent: Code=1, msgCat=1, msgCode=-1073729536, Msg=oops");
  EXPECT_EQ(FormatPrintf("Version: %hs. BUILD: %hs. OS: %ld.%ld", {"1.0.3", "b", 6L, 1L}),
            "Version: 1.0.3. BUILD: b. OS: 6.1");
  EXPECT_EQ(FormatPrintf("Provider was called to delete unknown LUN (name=%hs, serial=%hs)",
                         {std::string("vol"), std::wstring(L"ABC")}),
            "Provider was called to delete unknown LUN (name=vol, serial=ABC)");
  EXPECT_EQ(FormatPrintf("EXITING: hr=0x%08x", {static_cast<int32_t>(0x80042306)}),
            "EXITING: hr=0x80042306");
}

}  // namespace
