// Reading and writing VDS LUN information records: the stateless parts of
// LUN identification and of the target records handed to VSS.
#pragma once

#include <string>

#include "platform/vss_compat.h"

// The text every target record's vendor identifier begins with: vendor
// (4 letters, 4 blanks), product word and a colon; 19 characters.
inline constexpr char kTargetVendorIdPrefix[] = "KOVA    Lumenstack:";

// The record's serial and vendor field; empty when absent.
std::string LunSerial(const VDS_LUN_INFORMATION& lun);
std::string LunVendorId(const VDS_LUN_INFORMATION& lun);
// Whether the record carries a device identifier list.
bool HasIdentifierList(const VDS_LUN_INFORMATION& lun);

// True when the first four bytes of the vendor field are "KOVA" (letter case
// counts; the padding after them is not looked at). Otherwise logs
// "Non KOVA Lun encountered. VendorId=..." at debug level.
bool IsKovaLun(const VDS_LUN_INFORMATION& lun);
// The same test without the log line; false for a null or short field.
bool HasKovaVendorId(const VDS_LUN_INFORMATION& lun);

// Whether |name| can stand for an object on an array in a request path:
// 1 to 255 letters, digits, '-', '_' or '.', beginning with a letter or a
// digit. Names read from a device are checked with it before use.
bool IsUsableVolumeName(const std::string& name);

// The record as readable text (see DumpLunInformation); begins with a line
// break, every line ends with one.
std::string FormatLunInformation(const std::string& title, const VDS_LUN_INFORMATION& lun);
// Logs FormatLunInformation at trace level.
void DumpLunInformation(const std::string& title, const VDS_LUN_INFORMATION& lun);

// Fills |target| as the record of the snapshot LUN of |source|: version 1,
// the source's device fields and strings, the snapshot's serial, no disk
// signature, the identifiers "KOVA    Lumenstack:<serial>" (vendor id) and
// <snapshot name> (vendor specific), no interconnects. Everything is
// allocated with CoTaskMemAlloc. The target's previous content is freed
// first (FreeLunInformation, provider/lun/lun_record.h). E_OUTOFMEMORY when
// an allocation fails; what was placed in the record by then stays there
// for its owner to free.
HRESULT FillTargetLunInformation(const VDS_LUN_INFORMATION& source,
                                 const std::string& snapshot_serial,
                                 const std::string& snapshot_name, VDS_LUN_INFORMATION& target);
