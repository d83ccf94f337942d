// The component tags of the configuration tool's log lines.
#pragma once

inline constexpr char kImplementationTag[] = "Kova.RegTool Implementation";
inline constexpr char kArrayTableTag[] = "Kova.Reg Tool Implementation";
inline constexpr char kCliTag[] = "Kova.RegTool Cli";
inline constexpr char kMainTag[] = "main()";
inline constexpr char kDispatcherTag[] = "OstaraRegCli.Start";
