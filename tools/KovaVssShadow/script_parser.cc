#include "tools/KovaVssShadow/script_parser.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/guid.h"

namespace {

struct MethodSyntax {
  const char* name;
  ScriptMethod method;
  bool takes_set_id;
  std::vector<std::string> options;
};

const std::vector<MethodSyntax>& Methods() {
  static const std::vector<MethodSyntax> kMethods = {
      {"OnLoad", ScriptMethod::kOnLoad, false, {}},
      {"OnUnload", ScriptMethod::kOnUnload, false, {}},
      {"GetProviderCapabilities", ScriptMethod::kGetProviderCapabilities, false, {}},
      {"AreLunsSupported", ScriptMethod::kAreLunsSupported, false, {"context"}},
      {"FillInLunInfo", ScriptMethod::kFillInLunInfo, false, {}},
      {"BeginPrepareSnapshot", ScriptMethod::kBeginPrepareSnapshot, true, {"snapshot", "context"}},
      {"EndPrepareSnapshots", ScriptMethod::kEndPrepareSnapshots, true, {}},
      {"PreCommitSnapshots", ScriptMethod::kPreCommitSnapshots, true, {}},
      {"CommitSnapshots", ScriptMethod::kCommitSnapshots, true, {}},
      {"PostCommitSnapshots", ScriptMethod::kPostCommitSnapshots, true, {"count"}},
      {"PreFinalCommitSnapshots", ScriptMethod::kPreFinalCommitSnapshots, true, {}},
      {"PostFinalCommitSnapshots", ScriptMethod::kPostFinalCommitSnapshots, true, {}},
      {"AbortSnapshots", ScriptMethod::kAbortSnapshots, true, {}},
      {"GetTargetLuns", ScriptMethod::kGetTargetLuns, false, {"save"}},
      {"LocateLuns", ScriptMethod::kLocateLuns, false, {}},
      {"OnLunEmpty", ScriptMethod::kOnLunEmpty, false, {}},
      {"OnLunStateChange", ScriptMethod::kOnLunStateChange, false, {"flags"}},
      {"ResyncLuns", ScriptMethod::kResyncLuns, false, {}},
      {"OnReuseLuns", ScriptMethod::kOnReuseLuns, false, {}},
  };
  return kMethods;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

const MethodSyntax* FindMethod(const std::string& word) {
  for (const MethodSyntax& syntax : Methods()) {
    if (SameIgnoringCase(word, syntax.name)) return &syntax;
  }
  return nullptr;
}

// Decimal, or hexadecimal after "0x": a 32-bit signed value, or with
// |allow_negative| false an unsigned one.
bool ParseNumber(const std::string& text, bool allow_negative, int64_t* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  if (text[0] == '-' && !allow_negative) return false;
  const size_t digits = text[0] == '-' ? 1 : 0;
  const bool hex = text.compare(digits, 2, "0x") == 0 || text.compare(digits, 2, "0X") == 0;
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || text[0] == '+') return false;
  const long long max = allow_negative ? std::numeric_limits<int32_t>::max() : std::numeric_limits<uint32_t>::max();
  if (number < std::numeric_limits<int32_t>::min() || number > max) return false;
  *value = number;
  return true;
}

bool ApplyOption(const std::string& name, const std::string& value, ScriptCall* call, std::string* error) {
  int64_t number = 0;
  if (name == "snapshot") {
    GUID guid{};
    if (!platform::GuidFromString(value, &guid)) return *error = "snapshot=" + value + " is not a GUID", false;
    call->snapshot_id = guid;
  } else if (name == "save") {
    if (value.empty()) return *error = "save= needs a file name", false;
    call->save_path = value;
  } else if (!ParseNumber(value, name != "flags", &number)) {
    return *error = name + "=" + value + " is not a number", false;
  } else if (name == "context") {
    call->context = static_cast<LONG>(number);
  } else if (name == "count") {
    call->snapshot_count = static_cast<LONG>(number);
  } else {
    call->flags = static_cast<DWORD>(number);
  }
  return true;
}

// A word "name=value" whose name is an option of |syntax|: applied and true.
bool TakeOption(const MethodSyntax& syntax, const std::string& word, ScriptCall* call, bool* taken,
                std::string* error) {
  *taken = false;
  const size_t equals = word.find('=');
  if (equals == std::string::npos || word[0] == '@' || word[0] == '/') return true;
  const std::string name = word.substr(0, equals);
  for (const std::string& option : syntax.options) {
    if (name == option) {
      *taken = true;
      return ApplyOption(name, word.substr(equals + 1), call, error);
    }
  }
  *error = syntax.options.empty() ? std::string(syntax.name) + " takes no option " + name + "="
                                : "unknown option " + name + "= for " + syntax.name;
  return false;
}

bool CheckLunCount(const ScriptCall& call, std::string* error) {
  const size_t count = call.luns.size();
  switch (LunArityOf(call.method)) {
    case LunArity::kNone:
      if (count != 0) return *error = call.name + " takes no LUN", false;
      return true;
    case LunArity::kOne:
      if (count != 1) return *error = call.name + " takes exactly one LUN", false;
      return true;
    case LunArity::kPairs:
      if (count % 2 != 0) return *error = call.name + " takes SOURCE TARGET pairs of LUNs", false;
      return true;
    case LunArity::kList:
      return true;
  }
  return true;
}

bool ParseWords(const MethodSyntax& syntax, const std::vector<std::string>& words, ScriptCall* call,
                std::string* error) {
  size_t next = 1;
  if (syntax.takes_set_id) {
    if (words.size() < 2 || !platform::GuidFromString(words[1], &call->set_id)) {
      *error = std::string(syntax.name) + " needs a snapshot set GUID such as {6B29FC40-CA47-1067-B31D-00DD010662DA}";
      return false;
    }
    next = 2;
  }
  if (syntax.method == ScriptMethod::kOnUnload) {
    if (words.size() != 2 || (words[1] != "yes" && words[1] != "no")) {
      return *error = "OnUnload needs yes or no (force the unload or not)", false;
    }
    call->force = words[1] == "yes";
    return true;
  }
  for (size_t i = next; i < words.size(); ++i) {
    bool taken = false;
    if (!TakeOption(syntax, words[i], call, &taken, error)) return false;
    if (!taken) call->luns.push_back(words[i]);
  }
  return CheckLunCount(*call, error);
}

}  // namespace

LunArity LunArityOf(ScriptMethod method) {
  switch (method) {
    case ScriptMethod::kAreLunsSupported:
    case ScriptMethod::kBeginPrepareSnapshot:
    case ScriptMethod::kGetTargetLuns:
    case ScriptMethod::kLocateLuns:
    case ScriptMethod::kOnLunStateChange:
    case ScriptMethod::kOnReuseLuns:
      return LunArity::kList;
    case ScriptMethod::kFillInLunInfo:
    case ScriptMethod::kOnLunEmpty:
      return LunArity::kOne;
    case ScriptMethod::kResyncLuns:
      return LunArity::kPairs;
    default:
      return LunArity::kNone;
  }
}

bool SplitScriptWords(const std::string& line, std::vector<std::string>* words, std::string* error) {
  words->clear();
  size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    std::string word;
    bool quoted = false;
    while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
      const char c = line[i++];
      if (c == '"') {
        quoted = !quoted;
      } else if (quoted && c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
        word += line[i++];
      } else {
        word += c;
      }
    }
    if (quoted) return *error = "unterminated quote", false;
    words->push_back(word);
  }
  return true;
}

bool ParseScriptLine(const std::string& line, int line_number, std::optional<ScriptCall>* call,
                     std::string* error) {
  call->reset();
  std::vector<std::string> words;
  if (!SplitScriptWords(line, &words, error)) return false;
  if (words.empty() || words[0][0] == '#') return true;
  const MethodSyntax* syntax = FindMethod(words[0]);
  if (syntax == nullptr) return *error = "unknown provider method \"" + words[0] + "\"", false;
  ScriptCall parsed;
  parsed.line = line_number;
  parsed.method = syntax->method;
  parsed.name = syntax->name;
  if (!ParseWords(*syntax, words, &parsed, error)) return false;
  *call = std::move(parsed);
  return true;
}

bool ParseScript(std::istream& in, std::vector<ScriptCall>* calls, std::string* error) {
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::optional<ScriptCall> call;
    std::string reason;
    if (!ParseScriptLine(line, number, &call, &reason)) {
      *error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
    if (call) calls->push_back(std::move(*call));
  }
  return true;
}
