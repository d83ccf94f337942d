// LUN information records (VDS_LUN_INFORMATION) in task memory, the form in
// which VSS and a provider exchange them: every string, identifier list,
// identifier byte array, interconnect list and port or address byte array
// is a block of its own from CoTaskMemAlloc. Everything that makes, copies
// or frees such a record in this system goes through here.
//
// The allocating calls throw std::bad_alloc when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

// |count| zeroed elements of T in task memory; never null, even for a count
// of 0 (a present but empty list).
template <typename T>
T* TaskMemoryArray(size_t count) {
  if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
  void* block = CoTaskMemAlloc(count * sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  std::memset(block, 0, count * sizeof(T));
  return static_cast<T*>(block);
}

// A NUL-terminated task-memory copy of |text|. The pointer form copies a
// null |text| as null.
char* TaskMemoryString(const std::string& text);
char* TaskMemoryString(const char* text);

// A task-memory copy of |size| bytes; null when |bytes| is null or |size| 0.
BYTE* TaskMemoryBytes(const BYTE* bytes, size_t size);
BYTE* TaskMemoryBytes(const std::vector<uint8_t>& bytes);

// The text a byte field carries: its bytes up to the first NUL, never more
// than |count|; empty for null bytes.
std::string TextOfBytes(const BYTE* bytes, size_t count);

// A deep copy of |source| in task memory. A list or byte array whose pointer
// is null is copied as absent with a count of zero. On std::bad_alloc
// |copy| is left untouched.
void CopyLunRecord(const VDS_LUN_INFORMATION& source, VDS_LUN_INFORMATION* copy);

// Frees with CoTaskMemFree every block |lun| points to (the four strings,
// each of the m_cIdentifiers identifiers' bytes, the identifier list, each
// of the m_cInterconnects interconnects' port and address bytes, the
// interconnect list), never the record itself. A freed record is all zero,
// as VDS_LUN_INFORMATION{} is: pointers null, counts and every other field
// 0. Freeing it again frees nothing.
void FreeLunInformation(VDS_LUN_INFORMATION& lun);
