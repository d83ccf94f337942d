// Reads what the tests check of a Windows image file: its header facts, its
// sections and its resources, and the message table format inside one.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct PeImage {
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  uint32_t entry_point = 0;
  uint32_t import_directory_size = 0;
  std::vector<std::string> sections;
  // Resources with numeric type and id, in their first language.
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> resources;
};

inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kImageFileDll = 0x2000;
inline constexpr uint32_t kResourceTypeMessageTable = 11;
inline constexpr uint32_t kResourceTypeVersion = 16;

// False, with |error| set, for a file that is not a well-formed PE32+ image.
bool ReadPeImage(const std::string& path, PeImage* image, std::string* error);

struct MessageTableEntry {
  bool unicode = false;
  std::string text;  // ANSI bytes as stored, without the padding zeros
};

// The entries of a MESSAGE_RESOURCE_DATA block by message identifier;
// empty when the data is malformed.
std::map<uint32_t, MessageTableEntry> ParseMessageTable(const std::vector<uint8_t>& data);

// Whether |bytes| hold |text| in UTF-16LE (as version resources store texts).
bool ContainsUtf16(const std::vector<uint8_t>& bytes, const std::string& text);
