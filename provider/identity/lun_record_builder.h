// LUN information records made from a disk's own answers, the way Windows
// presents a disk to a VSS provider: vendor, product and revision from the
// standard INQUIRY answer, the serial number from page 0x80, one identifier
// per designation descriptor of page 0x83 (code set and type as the device
// gave them, association and protocol dropped), no interconnects.
//
// A record made here is in task memory (provider/lun/lun_record.h) and is
// released with FreeLunInformation like any other. Strings are
// NUL-terminated; an empty identifier has no bytes (null pointer).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

// The answers a record is made from.
struct LunInquiryAnswers {
  std::vector<uint8_t> standard_inquiry;  // required
  std::vector<uint8_t> unit_serial_page;  // empty: no serial number
  std::vector<uint8_t> device_id_page;    // empty: no identifiers
  VDS_STORAGE_BUS_TYPE bus_type = VDSBusTypeUnknown;
};

// Fills `lun`, whose previous contents are overwritten without being freed.
// False with `error` set (may be null) when the INQUIRY answer is too short,
// reports no logical unit, or memory runs out; `lun` then holds no
// allocation. A malformed page 0x80 gives an empty serial number; a
// malformed page 0x83 gives the identifiers that are whole.
bool BuildLunInformation(const LunInquiryAnswers& answers, VDS_LUN_INFORMATION* lun,
                         std::string* error);

// One INQUIRY (see platform::ScsiInquiry) of the device at hand.
using LunInquiry =
    std::function<bool(bool vpd, uint8_t page, std::vector<uint8_t>* data, std::string* error)>;

// Asks for the three answers and builds the record. Only the standard
// INQUIRY must succeed: a device that refuses a page gets the record
// without what the page would give.
bool ReadLunInformation(const LunInquiry& inquire, VDS_STORAGE_BUS_TYPE bus_type,
                        VDS_LUN_INFORMATION* lun, std::string* error);

// ReadLunInformation on a disk device, with the bus it is attached by.
bool ReadLunInformationFromDevice(const std::string& device, VDS_LUN_INFORMATION* lun,
                                  std::string* error);
