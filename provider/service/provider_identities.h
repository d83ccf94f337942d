// The fixed identities of the provider program: its service, its COM class
// and application, its type library, its VSS provider registration and its
// event source.
#pragma once

#include <cstdint>

#include "platform/guid.h"

// {484E0F8A-B54C-45C6-ACAF-BE682A421F25}, coclass KovaVssProvider.
inline constexpr GUID CLSID_KovaVssProvider = {
    0x484E0F8A, 0xB54C, 0x45C6, {0xAC, 0xAF, 0xBE, 0x68, 0x2A, 0x42, 0x1F, 0x25}};
// {ADE4E74B-C9A2-461B-A104-42917DCD7E02}, version 1.0.
inline constexpr GUID LIBID_KovaProviderLib = {
    0xADE4E74B, 0xC9A2, 0x461B, {0xA1, 0x04, 0x42, 0x91, 0x7D, 0xCD, 0x7E, 0x02}};

namespace kova_service {

// String resource 100 holds the service name; these are its built-in value
// and the longest name the module accepts.
inline constexpr uint32_t kServiceNameStringId = 100;
inline constexpr char kServiceName[] = "KovaProvider";
inline constexpr size_t kMaxServiceNameLength = 255;

// Also the VSS provider name.
inline constexpr char kServiceDisplayName[] = "Kova Storage VSS Hardware Provider (64-bit)";

inline constexpr char kAppId[] = "{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}";

// {781C006A-5829-4A25-81E3-D5E43BD005AB}
inline constexpr GUID kVssProviderId = {
    0x781C006A, 0x5829, 0x4A25, {0x81, 0xE3, 0xD5, 0xE4, 0x3B, 0xD0, 0x05, 0xAB}};
// {174057F8-922A-456B-A42F-43C6F4E9C4DA}
inline constexpr GUID kVssProviderVersionId = {
    0x174057F8, 0x922A, 0x456B, {0xA4, 0x2F, 0x43, 0xC6, 0xF4, 0xE9, 0xC4, 0xDA}};
inline constexpr char kVssProviderVersion[] = "1.0.3";
inline constexpr int kVssProviderTypeHardware = 3;  // VSS_PROV_HARDWARE

inline constexpr char kTypeLibraryHelpString[] = "KovaProvider 1.0 Type Library";

// Under HKEY_LOCAL_MACHINE.
inline constexpr char kEventSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider";
inline constexpr char kEventMessageFileName[] = "ProviderEvents.dll";

// Paths of the program that the registration writes: at most this many
// characters (MAX_PATH without its terminator).
inline constexpr size_t kMaxProgramPathLength = 259;

}  // namespace kova_service
