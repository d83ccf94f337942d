// The component tags of the log lines of the array library and the
// provider, each defined once. The configuration tool's own tags are in
// OstaraRegTool/tool_log_tags.h.
#pragma once

inline constexpr char kLoggerTag[] = "Kova.Logger";
inline constexpr char kEventReportTag[] = "Kova.KovaProvider";
inline constexpr char kRestVersionTag[] = "Kova.Rest";
inline constexpr char kRestTag[] = "Kova.REST";
inline constexpr char kRestLibraryTag[] = "Kova.RestLibrary";
inline constexpr char kDestroySessionTag[] = "Kova.DestroySession";
inline constexpr char kProviderLogTag[] = "Kova.VssProvider";
inline constexpr char kHostInfoProviderTag[] = "Kova.HostInfoProvider";
inline constexpr char kHostProviderTag[] = "Kova.HostProvider";
