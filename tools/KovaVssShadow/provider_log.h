// The log of a process that hosts the provider, opened as the provider
// program opens it: always on, in "KovaVSSHardwareProvider.log", at the
// level of the "LogLevel" setting when "Logging" is exactly "Enabled" and
// at LOG_DEBUG otherwise (also when "LogLevel" cannot be read).
#pragma once

// The level the settings in the machine registry give.
int ProviderLogLevel();

// Logger::Open(true, ProviderLogLevel()). Logger::Close ends it.
void OpenProviderLog();
