// KovaVssShadow's command line: the VSS coordinator that stands in for VSS
// on Linux and drives a provider object hosted in its own process.
//
//   KovaVssShadow create LUN...
//   KovaVssShadow import LUN...
//   KovaVssShadow delete LUN...
//   KovaVssShadow mask LUN...
//   KovaVssShadow resync SOURCE TARGET [SOURCE TARGET]...
//   KovaVssShadow script FILE|-
//   KovaVssShadow show LUN...
//
// README.md in this folder describes each command and the script grammar.
#pragma once

#include <string>
#include <vector>

#include "tools/KovaVssShadow/shadow_environment.h"

// Runs one command (|args| without the program name) and returns the exit
// code (ShadowExit). Never throws.
int RunKovaVssShadow(const std::vector<std::string>& args, const ShadowEnvironment& env);

// The usage text printed by --help and after a bad command line.
const char* ShadowUsage();
