#include "tests/installer/pe_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::vector<uint8_t>;

bool Has(const Bytes& b, size_t offset, size_t size) {
  return offset <= b.size() && size <= b.size() - offset;
}
uint16_t U16(const Bytes& b, size_t o) { return static_cast<uint16_t>(b[o] | b[o + 1] << 8); }
uint32_t U32(const Bytes& b, size_t o) {
  return static_cast<uint32_t>(U16(b, o)) | static_cast<uint32_t>(U16(b, o + 2)) << 16;
}

struct Section {
  uint32_t rva, size, file_offset;
};

class ImageReader {
 public:
  ImageReader(const Bytes& file, std::vector<Section> sections)
      : file_(file), sections_(std::move(sections)) {}

  // The file offset of |size| bytes at |rva|; false when no section holds them.
  bool Offset(uint32_t rva, size_t size, size_t* offset) const {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva - s.rva <= s.size && size <= s.size - (rva - s.rva)) {
        *offset = s.file_offset + (rva - s.rva);
        return Has(file_, *offset, size);
      }
    }
    return false;
  }

  // Walks type, id and language levels of the resource tree at |root|.
  bool ReadResources(size_t root, PeImage* image) const {
    std::vector<std::pair<uint32_t, uint32_t>> types;
    if (!Entries(root, root, &types)) return false;
    for (const auto& [type, type_dir] : types) {
      std::vector<std::pair<uint32_t, uint32_t>> ids;
      if (!Entries(root, root + type_dir, &ids)) return false;
      for (const auto& [id, id_dir] : ids) {
        std::vector<std::pair<uint32_t, uint32_t>> languages;
        if (!Entries(root, root + id_dir, &languages) || languages.empty()) return false;
        const size_t entry = root + languages.front().second;
        size_t data = 0;
        if (!Has(file_, entry, 16) || !Offset(U32(file_, entry), U32(file_, entry + 4), &data)) {
          return false;
        }
        image->resources[{type, id}] =
            Bytes(file_.begin() + data, file_.begin() + data + U32(file_, entry + 4));
      }
    }
    return true;
  }

 private:
  // The numeric entries of the directory at |dir|: id and the offset of its
  // subdirectory or data entry from the root, without the subdirectory bit.
  bool Entries(size_t root, size_t dir, std::vector<std::pair<uint32_t, uint32_t>>* out) const {
    if (!Has(file_, dir, 16)) return false;
    const size_t named = U16(file_, dir + 12);
    const size_t count = named + U16(file_, dir + 14);
    if (!Has(file_, dir + 16, count * 8)) return false;
    for (size_t i = named; i < count; ++i) {
      const size_t e = dir + 16 + i * 8;
      out->emplace_back(U32(file_, e), U32(file_, e + 4) & 0x7FFFFFFFu);
    }
    return true;
  }

  const Bytes& file_;
  std::vector<Section> sections_;
};

bool Fail(const char* reason, std::string* error) {
  *error = reason;
  return false;
}

}  // namespace

bool ReadPeImage(const std::string& path, PeImage* image, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!Has(file, 0, 64) || file[0] != 'M' || file[1] != 'Z') return Fail("no MZ header", error);
  const size_t pe = U32(file, 60);
  if (!Has(file, pe, 24) || U32(file, pe) != 0x4550) return Fail("no PE signature", error);
  image->machine = U16(file, pe + 4);
  const size_t section_count = U16(file, pe + 6);
  const size_t optional = pe + 24;
  const size_t optional_size = U16(file, pe + 20);
  image->characteristics = U16(file, pe + 22);
  if (!Has(file, optional, optional_size) || optional_size < 128 || U16(file, optional) != 0x20B) {
    return Fail("not a PE32+ optional header", error);
  }
  image->entry_point = U32(file, optional + 16);
  image->import_directory_size = U32(file, optional + 112 + 8 + 4);
  const uint32_t resource_rva = U32(file, optional + 112 + 16);
  const uint32_t resource_size = U32(file, optional + 112 + 16 + 4);
  std::vector<Section> sections;
  const size_t table = optional + optional_size;
  if (!Has(file, table, section_count * 40)) return Fail("truncated section table", error);
  for (size_t i = 0; i < section_count; ++i) {
    const size_t s = table + i * 40;
    const auto name_end = std::find(file.begin() + s, file.begin() + s + 8, 0);
    image->sections.emplace_back(file.begin() + s, name_end);
    sections.push_back({U32(file, s + 12), U32(file, s + 16), U32(file, s + 20)});
  }
  const ImageReader reader(file, sections);
  size_t root = 0;
  if (!reader.Offset(resource_rva, resource_size, &root)) return Fail("no resources", error);
  return reader.ReadResources(root, image) || Fail("malformed resource tree", error);
}

std::map<uint32_t, MessageTableEntry> ParseMessageTable(const std::vector<uint8_t>& data) {
  std::map<uint32_t, MessageTableEntry> table;
  if (!Has(data, 0, 4)) return {};
  const size_t blocks = U32(data, 0);
  if (!Has(data, 4, blocks * 12)) return {};
  for (size_t b = 0; b < blocks; ++b) {
    const uint32_t low = U32(data, 4 + b * 12);
    const uint32_t high = U32(data, 8 + b * 12);
    size_t entry = U32(data, 12 + b * 12);
    for (uint32_t id = low; id <= high && id >= low; ++id) {
      if (!Has(data, entry, 4)) return {};
      const size_t length = U16(data, entry);
      if (length < 4 || !Has(data, entry, length)) return {};
      MessageTableEntry message;
      message.unicode = U16(data, entry + 2) != 0;
      message.text.assign(data.begin() + entry + 4, data.begin() + entry + length);
      message.text.erase(message.text.find_last_not_of('\0') + 1);
      table[id] = message;
      entry += length;
    }
  }
  return table;
}

bool ContainsUtf16(const std::vector<uint8_t>& bytes, const std::string& text) {
  Bytes wide;
  for (const char c : text) {
    wide.push_back(static_cast<uint8_t>(c));
    wide.push_back(0);
  }
  return std::search(bytes.begin(), bytes.end(), wide.begin(), wide.end()) != bytes.end();
}
