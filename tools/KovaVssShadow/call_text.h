// How KovaVssShadow writes provider call results.
#pragma once

#include <string>

#include "platform/hresult.h"

// "0x%08X".
std::string HresultText(HRESULT result);
// "<Method> -> 0x%08X": one call and its result, as every mode prints it.
std::string CallResultLine(const std::string& method, HRESULT result);
