#include "library/log/printf_format.h"

#include <cstdio>
#include <cstring>

#include "library/text/text_conversion.h"
#include "platform/utf16.h"

// ---- FormatArg -------------------------------------------------------------

namespace {

uint64_t LowBytesMask(int bytes) {
  return bytes >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
}

}  // namespace

int64_t FormatArg::AsSigned(int bytes) const {
  const bool has_width =
      kind_ != Kind::kPointer && kind_ != Kind::kNarrowString && kind_ != Kind::kWideString;
  const int used = (!has_width || bytes < width_) ? bytes : width_;
  const uint64_t value = AsUnsigned(used);
  if (used >= 8 || used <= 0) return static_cast<int64_t>(value);
  const uint64_t sign = uint64_t{1} << (8 * used - 1);
  if (!(value & sign)) return static_cast<int64_t>(value);
  return static_cast<int64_t>(value) - static_cast<int64_t>(uint64_t{1} << (8 * used));
}

uint64_t FormatArg::AsUnsigned(int bytes) const {
  if (kind_ == Kind::kPointer || kind_ == Kind::kNarrowString || kind_ == Kind::kWideString) {
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address())) & LowBytesMask(bytes);
  }
  if (kind_ == Kind::kFloating) return 0;
  return bits_ & LowBytesMask(bytes < width_ ? bytes : width_);
}

std::string FormatArg::Text() const {
  if (kind_ == Kind::kNarrowString) {
    if (!narrow_) return length_ == kUnknownLength ? "(null)" : "";
    return length_ == kUnknownLength ? std::string(narrow_) : std::string(narrow_, length_);
  }
  if (kind_ == Kind::kWideString) {
    if (!wide_) return length_ == kUnknownLength ? "(null)" : "";
    return kova::WideToUtf8(wide_, length_ == kUnknownLength ? std::wcslen(wide_) : length_);
  }
  return std::string();
}

const void* FormatArg::address() const {
  switch (kind_) {
    case Kind::kPointer: return pointer_;
    case Kind::kNarrowString: return narrow_;
    case Kind::kWideString: return wide_;
    default: return nullptr;
  }
}

// ---- Formatting ------------------------------------------------------------

namespace {

enum class Length { kNone, kChar, kShort, kLong, kOther };

struct Directive {
  const char* start = nullptr;  // the '%'
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  Length length = Length::kNone;
  char conversion = 0;  // 0: the format ended inside the directive
};

size_t CountCodePoints(const std::string& text) {
  size_t count = 0;
  for (unsigned char byte : text) count += (byte & 0xC0) != 0x80;
  return count;
}

// The first `limit` code points of `text`.
std::string FirstCodePoints(const std::string& text, size_t limit) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == limit) {
      return text.substr(0, i);
    }
  }
  return text;
}

bool IsIntegerLike(FormatArg::Kind kind) {
  using K = FormatArg::Kind;
  return kind == K::kSigned || kind == K::kUnsigned || kind == K::kBool || kind == K::kNarrowChar ||
         kind == K::kWideChar;
}

bool IsString(FormatArg::Kind kind) {
  return kind == FormatArg::Kind::kNarrowString || kind == FormatArg::Kind::kWideString;
}

// Runs the C library's snprintf on one normalised directive whose argument
// type is known to match, so its own rules (precision of zero, # forms, sign
// flags) apply unchanged.
template <typename Value>
std::string CFormat(const std::string& c_format, Value value) {
  char small[128];
  const int needed = std::snprintf(small, sizeof small, c_format.c_str(), value);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, needed);
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(&out[0], out.size(), c_format.c_str(), value);
  out.resize(static_cast<size_t>(needed));
  return out;
}

// Upper-case hexadecimal zero-filled to the width of a pointer.
std::string AddressText(const FormatArg& arg) {
  static const std::string c_format = "%0" + std::to_string(2 * sizeof(void*)) + "llX";
  return CFormat(c_format, static_cast<unsigned long long>(arg.AsUnsigned(sizeof(void*))));
}

class Formatter {
 public:
  Formatter(const FormatArg* args, size_t count) : args_(args), count_(count) {}

  std::string Run(const char* format);

 private:
  const FormatArg* NextArg() { return next_ < count_ ? &args_[next_++] : nullptr; }
  const char* ParseDirective(const char* p, Directive* d);
  const char* ParseNumberOrStar(const char* p, int* value, bool is_width, Directive* d);
  void Convert(const Directive& d, const char* end);
  void ConvertInteger(const Directive& d, const FormatArg& arg);
  void ConvertFloating(const Directive& d, const FormatArg& arg);
  void ConvertChar(const Directive& d, const FormatArg& arg);
  void ConvertPointer(const Directive& d, const FormatArg& arg);
  void ConvertString(const Directive& d, const FormatArg& arg);
  void AppendNatural(const Directive& d, const FormatArg& arg);
  void AppendPadded(const Directive& d, const std::string& text);
  std::string CFormatText(const Directive& d, const char* flags, const char* length) const;

  const FormatArg* args_;
  size_t count_;
  size_t next_ = 0;
  std::string out_;
};

std::string Formatter::Run(const char* format) {
  const char* p = format;
  while (*p) {
    const char* percent = std::strchr(p, '%');
    if (!percent) {
      out_.append(p);
      break;
    }
    out_.append(p, percent);
    Directive d;
    d.start = percent;
    p = ParseDirective(percent + 1, &d);
    Convert(d, p);
  }
  return std::move(out_);
}

// Sets the flag `c` names; false when `c` is no flag.
bool ParseFlag(char c, Directive* d) {
  switch (c) {
    case '-': return d->left = true;
    case '+': return d->plus = true;
    case ' ': return d->space = true;
    case '#': return d->alternate = true;
    case '0': return d->zero = true;
    default: return false;
  }
}

// The length modifier at `p` (hh h l ll w j z t L q I I32 I64), advancing
// past it.
Length ParseLength(const char** p) {
  const char* at = *p;
  const auto take = [p](size_t n, Length length) {
    *p += n;
    return length;
  };
  if (at[0] == 'h') return at[1] == 'h' ? take(2, Length::kChar) : take(1, Length::kShort);
  if (at[0] == 'l') return at[1] == 'l' ? take(2, Length::kOther) : take(1, Length::kLong);
  if (at[0] == 'w') return take(1, Length::kLong);
  if (std::strncmp(at, "I64", 3) == 0 || std::strncmp(at, "I32", 3) == 0) {
    return take(3, Length::kOther);
  }
  if (at[0] && std::strchr("jztLIq", at[0])) return take(1, Length::kOther);
  return Length::kNone;
}

const char* Formatter::ParseDirective(const char* p, Directive* d) {
  while (ParseFlag(*p, d)) ++p;
  p = ParseNumberOrStar(p, &d->width, true, d);
  if (*p == '.') {
    d->precision = 0;
    p = ParseNumberOrStar(p + 1, &d->precision, false, d);
  }
  d->length = ParseLength(&p);
  d->conversion = *p;
  return *p ? p + 1 : p;
}

// A decimal field or *. A negative * width means left alignment; a negative
// * precision, or a * without an integer argument, means none.
const char* Formatter::ParseNumberOrStar(const char* p, int* value, bool is_width, Directive* d) {
  if (*p == '*') {
    const FormatArg* arg = NextArg();
    if (arg && IsIntegerLike(arg->kind())) {
      const int64_t given = arg->AsSigned(8);
      if (given < 0 && is_width) d->left = true;
      const uint64_t magnitude = given < 0 ? 0 - static_cast<uint64_t>(given) : given;
      *value = (given < 0 && !is_width)     ? -1
               : magnitude > kMaxFieldWidth ? kMaxFieldWidth
                                            : static_cast<int>(magnitude);
    } else {
      *value = -1;
    }
    return p + 1;
  }
  if (*p < '0' || *p > '9') return p;
  int number = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    number = number * 10 + (*p - '0');
    if (number > kMaxFieldWidth) number = kMaxFieldWidth;
  }
  *value = number;
  return p;
}

void Formatter::Convert(const Directive& d, const char* end) {
  const char c = d.conversion;
  if (c == '%') {
    out_.push_back('%');
    return;
  }
  if (c == 0 || !std::strchr("diuoxXcCsSpfFeEgGaAn", c)) {
    out_.append(d.start, end);  // not a directive this formatter knows
    return;
  }
  const FormatArg* arg = NextArg();
  if (!arg || c == 'n') return;
  if (std::strchr("diuoxX", c)) {
    ConvertInteger(d, *arg);
  } else if (std::strchr("fFeEgGaA", c)) {
    ConvertFloating(d, *arg);
  } else if (c == 'c' || c == 'C') {
    ConvertChar(d, *arg);
  } else if (c == 'p') {
    ConvertPointer(d, *arg);
  } else {
    ConvertString(d, *arg);
  }
}

void Formatter::ConvertString(const Directive& d, const FormatArg& arg) {
  if (!IsString(arg.kind())) {
    AppendNatural(d, arg);
    return;
  }
  std::string text = arg.Text();
  if (d.precision >= 0) text = FirstCodePoints(text, static_cast<size_t>(d.precision));
  AppendPadded(d, text);
}

void Formatter::ConvertInteger(const Directive& d, const FormatArg& arg) {
  if (!IsIntegerLike(arg.kind()) && arg.kind() != FormatArg::Kind::kPointer) {
    AppendNatural(d, arg);
    return;
  }
  const int bytes = d.length == Length::kChar ? 1 : d.length == Length::kShort ? 2 : 8;
  if (d.conversion == 'd' || d.conversion == 'i') {
    out_ += CFormat(CFormatText(d, "-+ 0", "ll"), static_cast<long long>(arg.AsSigned(bytes)));
  } else {
    out_ += CFormat(CFormatText(d, "-#0", "ll"),
                    static_cast<unsigned long long>(arg.AsUnsigned(bytes)));
  }
}

void Formatter::ConvertFloating(const Directive& d, const FormatArg& arg) {
  double value = 0;
  if (arg.kind() == FormatArg::Kind::kFloating) {
    value = arg.floating();
  } else if (arg.kind() == FormatArg::Kind::kSigned) {
    value = static_cast<double>(arg.AsSigned(8));
  } else if (IsIntegerLike(arg.kind())) {
    value = static_cast<double>(arg.AsUnsigned(8));
  } else {
    AppendNatural(d, arg);
    return;
  }
  out_ += CFormat(CFormatText(d, "-+ #0", ""), value);
}

void Formatter::ConvertChar(const Directive& d, const FormatArg& arg) {
  if (!IsIntegerLike(arg.kind())) {
    AppendNatural(d, arg);
    return;
  }
  std::string text;
  const bool wide =
      d.length == Length::kLong || d.conversion == 'C' || arg.kind() == FormatArg::Kind::kWideChar;
  if (wide) {
    const int64_t code = arg.kind() == FormatArg::Kind::kNarrowChar
                             ? static_cast<int64_t>(arg.AsUnsigned(1))
                             : arg.AsSigned(8);
    platform::AppendUtf8(code < 0 || code > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(code), &text);
  } else {
    text.push_back(static_cast<char>(arg.AsUnsigned(1)));
  }
  AppendPadded(d, text);
}

void Formatter::ConvertPointer(const Directive& d, const FormatArg& arg) {
  if (arg.kind() != FormatArg::Kind::kPointer && !IsString(arg.kind()) &&
      !IsIntegerLike(arg.kind())) {
    AppendNatural(d, arg);
    return;
  }
  AppendPadded(d, AddressText(arg));
}

void Formatter::AppendNatural(const Directive& d, const FormatArg& arg) {
  using K = FormatArg::Kind;
  std::string text;
  switch (arg.kind()) {
    case K::kSigned: text = std::to_string(arg.AsSigned(8)); break;
    case K::kUnsigned: text = std::to_string(arg.AsUnsigned(8)); break;
    case K::kBool: text = arg.AsUnsigned(1) ? "true" : "false"; break;
    case K::kNarrowChar: text.push_back(static_cast<char>(arg.AsUnsigned(1))); break;
    case K::kWideChar: platform::AppendUtf8(static_cast<char32_t>(arg.AsUnsigned(4)), &text); break;
    case K::kFloating: text = CFormat("%g", arg.floating()); break;
    case K::kNarrowString:
    case K::kWideString: text = arg.Text(); break;
    case K::kPointer: text = AddressText(arg); break;
  }
  AppendPadded(d, text);
}

void Formatter::AppendPadded(const Directive& d, const std::string& text) {
  const size_t length = CountCodePoints(text);
  const size_t fill = d.width > 0 && length < static_cast<size_t>(d.width) ? d.width - length : 0;
  if (!d.left) out_.append(fill, ' ');
  out_ += text;
  if (d.left) out_.append(fill, ' ');
}

// "%" + the flags among `allowed` + width + precision + `length` + conversion.
std::string Formatter::CFormatText(const Directive& d, const char* allowed,
                                   const char* length) const {
  std::string c_format = "%";
  const auto flag = [&](bool set, char c) {
    if (set && std::strchr(allowed, c)) c_format.push_back(c);
  };
  flag(d.left, '-');
  flag(d.plus, '+');
  flag(d.space, ' ');
  flag(d.alternate, '#');
  flag(d.zero, '0');
  if (d.width >= 0) c_format += std::to_string(d.width);
  if (d.precision >= 0) c_format += "." + std::to_string(d.precision);
  c_format += length;
  c_format.push_back(d.conversion);
  return c_format;
}

}  // namespace

std::string FormatPrintf(const char* format, const FormatArg* args, size_t count) {
  if (!format) return std::string();
  return Formatter(args, count).Run(format);
}

std::string FormatPrintf(const wchar_t* format, const FormatArg* args, size_t count) {
  if (!format) return std::string();
  const std::string narrow = kova::WideToUtf8(format, std::wcslen(format));
  return Formatter(args, count).Run(narrow.c_str());
}
