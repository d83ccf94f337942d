// LUN records as JSON: what the reader makes of each member, that writing
// and reading again gives the same record, and that malformed input is
// refused with the offending member named.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/guid.h"
#include "provider/lun/lun_record.h"
#include "tools/KovaVssShadow/lun_json.h"

namespace {

std::vector<uint8_t> Bytes(const BYTE* data, ULONG size) {
  return data == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(data, data + size);
}

// Every field of two records, compared byte by byte.
void ExpectSameRecord(const VDS_LUN_INFORMATION& a, const VDS_LUN_INFORMATION& b) {
  EXPECT_EQ(a.m_version, b.m_version);
  EXPECT_EQ(a.m_DeviceType, b.m_DeviceType);
  EXPECT_EQ(a.m_DeviceTypeModifier, b.m_DeviceTypeModifier);
  EXPECT_EQ(a.m_bCommandQueueing, b.m_bCommandQueueing);
  EXPECT_EQ(a.m_BusType, b.m_BusType);
  EXPECT_STREQ(a.m_szVendorId, b.m_szVendorId);
  EXPECT_STREQ(a.m_szProductId, b.m_szProductId);
  EXPECT_STREQ(a.m_szProductRevision, b.m_szProductRevision);
  EXPECT_STREQ(a.m_szSerialNumber, b.m_szSerialNumber);
  EXPECT_TRUE(a.m_diskSignature == b.m_diskSignature);
  EXPECT_EQ(a.m_deviceIdDescriptor.m_version, b.m_deviceIdDescriptor.m_version);
  ASSERT_EQ(a.m_deviceIdDescriptor.m_rgIdentifiers == nullptr, b.m_deviceIdDescriptor.m_rgIdentifiers == nullptr);
  ASSERT_EQ(a.m_deviceIdDescriptor.m_cIdentifiers, b.m_deviceIdDescriptor.m_cIdentifiers);
  for (ULONG i = 0; i < a.m_deviceIdDescriptor.m_cIdentifiers; ++i) {
    const VDS_STORAGE_IDENTIFIER& x = a.m_deviceIdDescriptor.m_rgIdentifiers[i];
    const VDS_STORAGE_IDENTIFIER& y = b.m_deviceIdDescriptor.m_rgIdentifiers[i];
    EXPECT_EQ(x.m_CodeSet, y.m_CodeSet);
    EXPECT_EQ(x.m_Type, y.m_Type);
    EXPECT_EQ(Bytes(x.m_rgbIdentifier, x.m_cbIdentifier), Bytes(y.m_rgbIdentifier, y.m_cbIdentifier));
  }
  ASSERT_EQ(a.m_rgInterconnects == nullptr, b.m_rgInterconnects == nullptr);
  ASSERT_EQ(a.m_cInterconnects, b.m_cInterconnects);
  for (ULONG i = 0; i < a.m_cInterconnects; ++i) {
    EXPECT_EQ(a.m_rgInterconnects[i].m_addressType, b.m_rgInterconnects[i].m_addressType);
    EXPECT_EQ(Bytes(a.m_rgInterconnects[i].m_pbPort, a.m_rgInterconnects[i].m_cbPort),
              Bytes(b.m_rgInterconnects[i].m_pbPort, b.m_rgInterconnects[i].m_cbPort));
    EXPECT_EQ(Bytes(a.m_rgInterconnects[i].m_pbAddress, a.m_rgInterconnects[i].m_cbAddress),
              Bytes(b.m_rgInterconnects[i].m_pbAddress, b.m_rgInterconnects[i].m_cbAddress));
  }
}

LunRecordArray Parse(const std::string& text) {
  LunRecordArray records;
  std::string error;
  EXPECT_TRUE(ParseLunRecords(text, &records, &error)) << error;
  return records;
}

std::string ParseError(const std::string& text) {
  LunRecordArray records;
  std::string error;
  EXPECT_FALSE(ParseLunRecords(text, &records, &error)) << text;
  EXPECT_EQ(0u, records.size());
  return error;
}

const char kFullRecordObject[] = R"({
  "vendor": "KOVA    ", "product": "Lumenstack", "revision": "6.1", "serial": "8B2F4A9700000001",
  "bus_type": 9, "device_type": 0,
  "identifiers": [
    {"code_set": 2, "type": 0, "data": "db01"},
    {"code_set": 1, "type": 3, "hex": "6000a0b1C2d3"}
  ],
  "interconnects": [{"address_type": 5, "port": "0102", "address": "ff"}],
  "version": 7, "descriptor_version": 2, "device_type_modifier": 4, "command_queueing": true,
  "disk_signature": "{6B29FC40-CA47-1067-B31D-00DD010662DA}"
})";
const std::string kFullRecord = std::string("[") + kFullRecordObject + "]";

TEST(LunJsonTest, ReadsEveryMemberIntoTheRecord) {
  const LunRecordArray records = Parse(kFullRecord);
  ASSERT_EQ(1u, records.size());
  const VDS_LUN_INFORMATION& lun = records[0];
  EXPECT_STREQ("KOVA    ", lun.m_szVendorId);
  EXPECT_STREQ("Lumenstack", lun.m_szProductId);
  EXPECT_STREQ("6.1", lun.m_szProductRevision);
  EXPECT_STREQ("8B2F4A9700000001", lun.m_szSerialNumber);
  EXPECT_EQ(VDSBusTypeiScsi, lun.m_BusType);
  EXPECT_EQ(7u, lun.m_version);
  EXPECT_EQ(2u, lun.m_deviceIdDescriptor.m_version);
  EXPECT_EQ(4, lun.m_DeviceTypeModifier);
  EXPECT_TRUE(lun.m_bCommandQueueing);
  EXPECT_EQ("{6B29FC40-CA47-1067-B31D-00DD010662DA}", platform::GuidToString(lun.m_diskSignature));
  ASSERT_EQ(2u, lun.m_deviceIdDescriptor.m_cIdentifiers);
  const VDS_STORAGE_IDENTIFIER& name = lun.m_deviceIdDescriptor.m_rgIdentifiers[0];
  EXPECT_EQ(VDSStorageIdCodeSetAscii, name.m_CodeSet);
  EXPECT_EQ(VDSStorageIdTypeVendorSpecific, name.m_Type);
  // "data" is ASCII followed by one NUL, as a provider stores ASCII identifiers.
  EXPECT_EQ((std::vector<uint8_t>{'d', 'b', '0', '1', 0}), Bytes(name.m_rgbIdentifier, name.m_cbIdentifier));
  const VDS_STORAGE_IDENTIFIER& binary = lun.m_deviceIdDescriptor.m_rgIdentifiers[1];
  EXPECT_EQ(VDSStorageIdTypeFCPHName, binary.m_Type);
  EXPECT_EQ((std::vector<uint8_t>{0x60, 0x00, 0xA0, 0xB1, 0xC2, 0xD3}),
            Bytes(binary.m_rgbIdentifier, binary.m_cbIdentifier));
  ASSERT_EQ(1u, lun.m_cInterconnects);
  EXPECT_EQ(VDS_IA_SCSI, lun.m_rgInterconnects[0].m_addressType);
  EXPECT_EQ((std::vector<uint8_t>{1, 2}), Bytes(lun.m_rgInterconnects[0].m_pbPort, lun.m_rgInterconnects[0].m_cbPort));
  EXPECT_EQ((std::vector<uint8_t>{0xFF}),
            Bytes(lun.m_rgInterconnects[0].m_pbAddress, lun.m_rgInterconnects[0].m_cbAddress));
  EXPECT_TRUE(records.device(0).empty());
}

TEST(LunJsonTest, MissingMembersTakeTheirDefaultsAndListsStayAbsent) {
  const LunRecordArray records = Parse(R"([{"serial": "S1"}, {"identifiers": [], "interconnects": []}])");
  ASSERT_EQ(2u, records.size());
  EXPECT_STREQ("", records[0].m_szVendorId);
  EXPECT_STREQ("S1", records[0].m_szSerialNumber);
  EXPECT_EQ(VER_VDS_LUN_INFORMATION, records[0].m_version);
  EXPECT_EQ(VER_VDS_LUN_INFORMATION, records[0].m_deviceIdDescriptor.m_version);
  EXPECT_EQ(VDSBusTypeUnknown, records[0].m_BusType);
  // A record without identifiers is one a provider must refuse; [] is an empty list.
  EXPECT_EQ(nullptr, records[0].m_deviceIdDescriptor.m_rgIdentifiers);
  EXPECT_EQ(nullptr, records[0].m_rgInterconnects);
  EXPECT_NE(nullptr, records[1].m_deviceIdDescriptor.m_rgIdentifiers);
  EXPECT_EQ(0u, records[1].m_deviceIdDescriptor.m_cIdentifiers);
  EXPECT_NE(nullptr, records[1].m_rgInterconnects);
}

TEST(LunJsonTest, WritingAndReadingAgainGivesTheSameRecords) {
  const LunRecordArray original = Parse(std::string("[") + kFullRecordObject + R"(, {"serial": "S2"},
      {"vendor": "a\"b\\c\u0001", "identifiers": [{"code_set": 2, "type": 1, "hex": ""},
                                                 {"code_set": 2, "type": 1, "hex": "41004200"},
                                                 {"code_set": 2, "type": 1, "hex": "414243"}]}])");
  ASSERT_EQ(3u, original.size());
  for (const std::string& text : {FormatLunRecords(original.data(), original.size(), 4),
                                  FormatLunRecordsCompact(original.data(), original.size())}) {
    const LunRecordArray again = Parse(text);
    ASSERT_EQ(original.size(), again.size()) << text;
    for (size_t i = 0; i < original.size(); ++i) ExpectSameRecord(original[i], again[i]);
  }
}

TEST(LunJsonTest, WritesAsciiIdentifiersAsDataAndOthersAsHex) {
  const LunRecordArray records = Parse(R"([{"identifiers": [
      {"code_set": 2, "type": 1, "data": "KOVA    Lumenstack:A1"},
      {"code_set": 2, "type": 0, "hex": "6462"},
      {"code_set": 2, "type": 0, "hex": "64620062"},
      {"code_set": 1, "type": 2, "hex": "0A0B"}]}])");
  const std::string text = FormatLunRecordsCompact(records.data(), records.size());
  EXPECT_NE(std::string::npos, text.find(R"({"code_set": 2, "type": 1, "data": "KOVA    Lumenstack:A1"})")) << text;
  // Without its one closing NUL, or with an inner NUL, "data" would not read back the same bytes.
  EXPECT_NE(std::string::npos, text.find(R"("hex": "6462")")) << text;
  EXPECT_NE(std::string::npos, text.find(R"("hex": "64620062")")) << text;
  EXPECT_NE(std::string::npos, text.find(R"("hex": "0A0B")")) << text;
  EXPECT_EQ(std::string::npos, text.find("version")) << "defaults are not written: " << text;
}

TEST(LunJsonTest, PrettyFormIndentsOneMemberPerLine) {
  const LunRecordArray records = Parse(R"([{"serial": "S1", "identifiers": [{"code_set": 2, "type": 0, "data": "v"}]}])");
  EXPECT_EQ("[\n"
            "  {\n"
            "    \"vendor\": \"\",\n"
            "    \"product\": \"\",\n"
            "    \"revision\": \"\",\n"
            "    \"serial\": \"S1\",\n"
            "    \"bus_type\": 0,\n"
            "    \"device_type\": 0,\n"
            "    \"identifiers\": [\n"
            "      {\"code_set\": 2, \"type\": 0, \"data\": \"v\"}\n"
            "    ]\n"
            "  }\n"
            "]",
            FormatLunRecords(records.data(), records.size()));
  EXPECT_EQ("[]", FormatLunRecords(nullptr, 0));
}

TEST(LunJsonTest, ReadsTheOutputOfCreateAsItsTargets) {
  const LunRecordArray records =
      Parse(R"({"snapshot_set_id": "{6B29FC40-CA47-1067-B31D-00DD010662DA}", "targets": [{"serial": "T1"}, {"serial": "T2"}]})");
  ASSERT_EQ(2u, records.size());
  EXPECT_STREQ("T2", records[1].m_szSerialNumber);
  EXPECT_EQ("targets[0].serial: not a JSON string", ParseError(R"({"targets": [{"serial": 5}]})"));
  EXPECT_EQ("(top): no member \"targets\"", ParseError(R"({"snapshot_set_id": "x"})"));
}

TEST(LunJsonTest, RefusesMalformedInputNamingTheMember) {
  struct Case {
    const char* json;
    const char* error;
  };
  const Case cases[] = {
      {R"([{"serial": "S"}, {"bus_type": -1}])", "[1].bus_type: not a whole number from 0 to 127"},
      {R"([{"bus_type": 128}])", "[0].bus_type: not a whole number from 0 to 127"},
      {R"([{"device_type": 1.5}])", "[0].device_type: not a whole number from 0 to 255"},
      {R"([{"serial": null}])", "[0].serial: not a JSON string"},
      {R"([{"serial": "a\u0000b"}])", "[0].serial: contains a NUL character"},
      {R"([{"serail": "S"}])", "[0]: unknown member \"serail\""},
      {R"([{"identifiers": {}}])", "[0].identifiers: not a JSON array"},
      {R"([{"identifiers": [{"code_set": 4, "hex": ""}]}])", "[0].identifiers[0].code_set: not a whole number from 0 to 3"},
      {R"([{"identifiers": [{"type": 9, "hex": ""}]}])", "[0].identifiers[0].type: not a whole number from 0 to 8"},
      {R"([{"identifiers": [{"hex": "abc"}]}])", "[0].identifiers[0].hex: odd number of hex digits"},
      {R"([{"identifiers": [{"hex": "0g"}]}])", "[0].identifiers[0].hex: not a hex digit at offset 0"},
      {R"([{"identifiers": [{"data": "a", "hex": "00"}]}])", "[0].identifiers[0]: needs exactly one of \"data\" and \"hex\""},
      {R"([{"identifiers": [{"code_set": 2}]}])", "[0].identifiers[0]: needs exactly one of \"data\" and \"hex\""},
      {R"([{"identifiers": ["x"]}])", "[0].identifiers[0]: not a JSON object"},
      {R"([{"interconnects": [{"port": "0"}]}])", "[0].interconnects[0].port: odd number of hex digits"},
      {R"([{"interconnects": [{"address_type": 6}]}])", "[0].interconnects[0].address_type: not a whole number from 0 to 5"},
      {R"([{"command_queueing": 1}])", "[0].command_queueing: not true or false"},
      {R"([{"disk_signature": "{not-a-guid}"}])", "[0].disk_signature: not a GUID"},
      {R"([7])", "[0]: not a JSON object"},
      {R"("text")", "(top): neither an array of LUN records nor an object with \"targets\""},
      {R"({"targets": [], "extra": 1})", "(top): unknown member \"extra\""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error, ParseError(c.json)) << c.json;
  for (const char* text : {"", "[", "[{\"serial\": \"S\"", "{\"a\" 1}", "[1,]x"}) {
    EXPECT_EQ(0u, ParseError(text).rfind("not JSON: ", 0)) << text;
  }
}

TEST(LunJsonTest, AFailedParseLeavesTheRecordsAlreadyHeld) {
  LunRecordArray records = Parse(R"([{"serial": "KEPT"}])");
  std::string error;
  EXPECT_FALSE(ParseLunRecords(R"([{"serial": "NEW"}, {"identifiers": [{"hex": "0"}]}])", &records, &error));
  ASSERT_EQ(1u, records.size());
  EXPECT_STREQ("KEPT", records[0].m_szSerialNumber);
  EXPECT_TRUE(ParseLunRecords(R"([{"serial": "NEW"}])", &records, &error));
  ASSERT_EQ(2u, records.size());
  EXPECT_STREQ("NEW", records[1].m_szSerialNumber);
}

TEST(LunRecordTest, CopyIsDeepAndFreeingLeavesAZeroedRecord) {
  LunRecordArray records = Parse(kFullRecord);
  VDS_LUN_INFORMATION copy{};
  CopyLunRecord(records[0], &copy);
  EXPECT_NE(records[0].m_szSerialNumber, copy.m_szSerialNumber);
  EXPECT_NE(records[0].m_deviceIdDescriptor.m_rgIdentifiers[0].m_rgbIdentifier,
            copy.m_deviceIdDescriptor.m_rgIdentifiers[0].m_rgbIdentifier);
  ExpectSameRecord(records[0], copy);
  FreeLunInformation(copy);
  EXPECT_EQ(nullptr, copy.m_szSerialNumber);
  EXPECT_EQ(nullptr, copy.m_deviceIdDescriptor.m_rgIdentifiers);
  EXPECT_EQ(0u, copy.m_deviceIdDescriptor.m_cIdentifiers);
  EXPECT_EQ(0u, copy.m_cInterconnects);
  FreeLunInformation(copy);  // a second release finds nothing to free
}

}  // namespace
