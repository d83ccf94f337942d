#include "platform/service_unit_file.h"

#include <sstream>

namespace platform {
namespace {

constexpr char kDependencySuffix[] = ".service";
constexpr char kAutomaticTarget[] = "multi-user.target";

std::string Escape(const std::string& text, bool binary_path) {
  std::string out;
  for (const char c : text) {
    if (c == '%') {
      out += "%%";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '$' && binary_path) {
      out += "$$";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if ((c == '%' && next == '%') || (c == '$' && next == '$') || (c == '\\' && next == '\\')) {
      out += c;
      ++i;
    } else if (c == '\\' && next == 'n') {
      out += '\n';
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string DependencyUnits(const ServiceDefinition& definition) {
  std::string units;
  for (const std::string& name : definition.dependencies) {
    if (!units.empty()) units += ' ';
    units += Escape(name, false) + kDependencySuffix;
  }
  return units;
}

void ParseDependencies(const std::string& value, ServiceDefinition* definition) {
  std::istringstream words(value);
  std::string word;
  const std::string suffix = kDependencySuffix;
  while (words >> word) {
    if (word.size() > suffix.size() && word.compare(word.size() - suffix.size(), suffix.size(), suffix) == 0) {
      word.erase(word.size() - suffix.size());
    }
    definition->dependencies.push_back(Unescape(word));
  }
}

// Takes one Key=Value line of |section| into |unit|.
void TakeValue(const std::string& section, const std::string& key, const std::string& value,
               ServiceUnit* unit, bool* has_exec) {
  ServiceDefinition& definition = unit->definition;
  if (section == "Unit" && key == "Description") definition.display_name = Unescape(value);
  if (section == "Unit" && key == "X-KovaDescription") unit->description = Unescape(value);
  if (section == "Unit" && key == "Wants") ParseDependencies(value, &definition);
  if (section == "Service" && key == "ExecStart") {
    definition.binary_path = Unescape(value);
    *has_exec = true;
  }
  if (section == "Service" && key == "X-KovaName") definition.name = Unescape(value);
  if (section == "Install" && key == "WantedBy" && value == kAutomaticTarget) {
    definition.start_type = ServiceStartType::kAutomatic;
  }
}

}  // namespace

std::string FormatServiceUnit(const ServiceUnit& unit) {
  const ServiceDefinition& definition = unit.definition;
  std::ostringstream text;
  text << "# The service as its program registered it with the service manager.\n"
       << "[Unit]\n"
       << "Description=" << Escape(definition.display_name, false) << "\n"
       << "X-KovaDescription=" << Escape(unit.description, false) << "\n";
  const std::string dependencies = DependencyUnits(definition);
  if (!dependencies.empty()) {
    text << "Wants=" << dependencies << "\n"
         << "After=" << dependencies << "\n";
  }
  text << "\n[Service]\n"
       << "Type=simple\n"
       << "X-KovaName=" << Escape(definition.name, false) << "\n"
       << "ExecStart=" << Escape(definition.binary_path, true) << "\n"
       << "User=root\n";
  if (definition.start_type == ServiceStartType::kAutomatic) {
    text << "\n[Install]\n"
         << "WantedBy=" << kAutomaticTarget << "\n";
  }
  return text.str();
}

bool ParseServiceUnit(const std::string& text, ServiceUnit* unit) {
  *unit = ServiceUnit();
  std::istringstream lines(text);
  std::string line, section;
  bool has_exec = false;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    TakeValue(section, line.substr(0, equals), line.substr(equals + 1), unit, &has_exec);
  }
  return has_exec;
}

}  // namespace platform
