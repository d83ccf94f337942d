// The help, usage and format-error texts of the tool's commands. Each
// writes to the tool's console, every line end flushed.
#pragma once

#include <cstddef>

// The address that example lines show.
inline constexpr char kExampleAddress[] = "https://array01.example.com";

void PrintGeneralHelpText();
void PrintShortUsage();      // no command word
void PrintInvalidCommand();  // an unknown command word

void PrintAddHelp();
// The add format error for |arg_count| arguments (7, 9 or any other).
void PrintAddUsageError(size_t arg_count);

void PrintSetattrHelp();
// The setattr format error for |arg_count| arguments (5, 7 or any other).
void PrintSetattrUsageError(size_t arg_count);

void PrintRemoveHelp();
void PrintRemoveUsageError();

void PrintListHelp();
void PrintListUsageError();

void PrintLogHelp();
void PrintLogUsageError();      // five arguments without a match
void PrintLogLengthMismatch();  // neither three nor five arguments

void PrintRestartProviderHelp();
