// The tool's commands. Each handler takes the joined command line, the
// argument count (the program's name included) and the arguments, prints
// its outcome to the tool's console and never fails the process.
#pragma once

#include <cpprest/details/basic_types.h>

#include <cstddef>

#include "OstaraRegTool/command_line.h"

// Array names are limited to this many characters.
inline constexpr size_t kMaxArrayNameLength = 32;

void AddKovaArrayConfiguration(const utility::string_t& line, size_t count,
                               const CommandArgs& args);
void EditKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                const CommandArgs& args);
void RemoveKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                  const CommandArgs& args);
void ShowKovaArrayConfiguration(const utility::string_t& line, size_t count,
                                const CommandArgs& args);
void SetLog(const utility::string_t& line, size_t count, const CommandArgs& args);
void RestartProviderCommand(const utility::string_t& line, size_t count, const CommandArgs& args);
void PrintHelpMessage();

// The setattr edits; true when the array was changed and shown.
bool EditKovaArrayURL(const utility::string_t& url, const utility::string_t& name);
bool EditKovaArrayName(const utility::string_t& new_name, const utility::string_t& old_name);
bool EditKovaArrayAttributes(const CommandArgs& args);

// Says that changes take effect when the provider's service starts, and how
// to restart it now when it runs.
void PrintRestartHint();

// Runs the one command of the command line.
void RunCommandLine(const CommandArgs& args);
