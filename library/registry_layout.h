// Where the configuration store lives and what its values are called.
#pragma once

namespace kova {

// Under HKEY_LOCAL_MACHINE; an array's key is this path followed directly by
// the array's name.
inline constexpr char kProviderRootKey[] = "SOFTWARE\\KovaStorage\\VSS\\Provider\\";

inline constexpr char kValueLogging[] = "Logging";
inline constexpr char kValueLogLevel[] = "LogLevel";
inline constexpr char kValueRestVersion[] = "RestVersion";
inline constexpr char kValueRestTimeout[] = "RestTimeout";
inline constexpr char kValueEradicateVolumes[] = "EradicateVolumes";
inline constexpr char kValueDeleteSnaps[] = "DeleteSnaps";
inline constexpr char kValueBatchSnapshots[] = "BatchSnapshots";
inline constexpr char kValueLogInterrogate[] = "LogInterrogate";
inline constexpr char kValueUrl[] = "URL";
inline constexpr char kValueApiKey[] = "APIKey";

}  // namespace kova
