// The page 0x83 walk over well-formed, cut short and lying answers, and the
// volume name taken from it.
#include <gtest/gtest.h>

#include <memory>

#include "provider/lun/device_id_page.h"
#include "provider/lun/lun_volume_name.h"
#include "tests/identity/page_bytes.h"

namespace {

using namespace identity_test;
using kova::DeviceIdPage;
using kova::DeviceIdPageStatus;

const Bytes kNaa = {0x62, 0x4A, 0x93, 0x70, 0x11, 0x22, 0x33, 0x44,
                    0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
const Bytes kNaaDescriptor = Descriptor(1, 3, kNaa);
const Bytes kT10Descriptor = Descriptor(2, 1, BytesOf("KOVA    Lumenstack"));
const Bytes kNameDescriptor = Descriptor(2, 0, BytesOf("db01"));

// Parses from a heap copy of exactly `bytes`, so AddressSanitizer reports
// any read past the answer.
DeviceIdPage ParseExact(const Bytes& bytes) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return kova::ParseDeviceIdPage(copy.get(), bytes.size());
}

TEST(DeviceIdPageTest, ReadsEveryDescriptorOfAWellFormedPage) {
  const Bytes port = Descriptor(1, 4, {0x00, 0x01}, 1, 5);
  const DeviceIdPage page =
      ParseExact(VpdPage(0x83, Concat({kNaaDescriptor, kT10Descriptor, port, kNameDescriptor})));
  ASSERT_EQ(DeviceIdPageStatus::kComplete, page.status);
  ASSERT_EQ(4u, page.identifiers.size());
  EXPECT_EQ(1, page.identifiers[0].code_set);
  EXPECT_EQ(3, page.identifiers[0].type);
  EXPECT_EQ(kNaa, page.identifiers[0].identifier);
  EXPECT_EQ(BytesOf("KOVA    Lumenstack"), page.identifiers[1].identifier);
  EXPECT_EQ(1, page.identifiers[2].association);
  EXPECT_EQ(5, page.identifiers[2].protocol_identifier);
  EXPECT_EQ(4, page.identifiers[2].type);
  EXPECT_EQ(0, page.identifiers[3].type);
  EXPECT_EQ(BytesOf("db01"), page.identifiers[3].identifier);
}

TEST(DeviceIdPageTest, HeaderThatDidNotArriveWholeYieldsNothing) {
  const Bytes header = {0x00, 0x83, 0x00, 0x08};
  for (size_t size = 0; size < header.size(); ++size) {
    const DeviceIdPage page = ParseExact(Bytes(header.begin(), header.begin() + size));
    EXPECT_EQ(DeviceIdPageStatus::kTooShort, page.status) << size;
    EXPECT_TRUE(page.identifiers.empty());
    EXPECT_FALSE(page.usable());
  }
  EXPECT_EQ(DeviceIdPageStatus::kTooShort, kova::ParseDeviceIdPage(nullptr, 40).status);
}

TEST(DeviceIdPageTest, AnswerForAnotherPageIsRefused) {
  const DeviceIdPage page = ParseExact(VpdPage(0x80, kNameDescriptor));
  EXPECT_EQ(DeviceIdPageStatus::kWrongPage, page.status);
  EXPECT_TRUE(page.identifiers.empty());
}

TEST(DeviceIdPageTest, DescriptorLongerThanTheAnswerEndsTheWalk) {
  Bytes lying = Descriptor(2, 0, BytesOf("db01"));
  lying[3] = 200;  // claims 200 identifier bytes, 4 follow
  const DeviceIdPage page = ParseExact(VpdPage(0x83, Concat({kNaaDescriptor, lying})));
  EXPECT_EQ(DeviceIdPageStatus::kTruncated, page.status);
  ASSERT_EQ(1u, page.identifiers.size());
  EXPECT_EQ(kNaa, page.identifiers[0].identifier);
}

TEST(DeviceIdPageTest, PageLongerThanTheDataKeepsTheWholeDescriptors) {
  const Bytes full = VpdPage(0x83, Concat({kNaaDescriptor, kNameDescriptor}));
  // Cut inside the second descriptor's bytes, inside its header, and right
  // after the first one: the page still claims both.
  for (size_t cut : {full.size() - 2, 4 + kNaaDescriptor.size() + 2, 4 + kNaaDescriptor.size()}) {
    const DeviceIdPage page = ParseExact(Bytes(full.begin(), full.begin() + cut));
    EXPECT_EQ(DeviceIdPageStatus::kTruncated, page.status) << cut;
    ASSERT_EQ(1u, page.identifiers.size()) << cut;
    EXPECT_EQ(kNaa, page.identifiers[0].identifier);
  }
}

TEST(DeviceIdPageTest, BytesBeyondTheClaimedLengthAreNotRead) {
  const Bytes body = Concat({kNaaDescriptor, kNameDescriptor});
  const DeviceIdPage exact = ParseExact(VpdPage(0x83, body, kNaaDescriptor.size()));
  EXPECT_EQ(DeviceIdPageStatus::kComplete, exact.status);
  EXPECT_EQ(1u, exact.identifiers.size());

  // A claimed end inside the second descriptor cuts it off.
  const DeviceIdPage inside = ParseExact(VpdPage(0x83, body, kNaaDescriptor.size() + 5));
  EXPECT_EQ(DeviceIdPageStatus::kTruncated, inside.status);
  EXPECT_EQ(1u, inside.identifiers.size());

  const DeviceIdPage empty = ParseExact(VpdPage(0x83, body, 0));
  EXPECT_EQ(DeviceIdPageStatus::kComplete, empty.status);
  EXPECT_TRUE(empty.identifiers.empty());
}

TEST(DeviceIdPageTest, ZeroLengthAndNonAsciiIdentifiersAreKeptAsTheyCame) {
  const Bytes odd = {0xFF, 0x00, 0x80, 'x'};
  const DeviceIdPage page = ParseExact(
      VpdPage(0x83, Concat({Descriptor(2, 0, {}), Descriptor(2, 1, odd), Descriptor(1, 3, {})})));
  ASSERT_EQ(DeviceIdPageStatus::kComplete, page.status);
  ASSERT_EQ(3u, page.identifiers.size());
  EXPECT_TRUE(page.identifiers[0].identifier.empty());
  EXPECT_EQ(odd, page.identifiers[1].identifier);
  EXPECT_TRUE(page.identifiers[2].identifier.empty());
}

TEST(DeviceIdPageTest, EveryPrefixOfAnAnswerYieldsAPrefixOfItsDescriptors) {
  const Bytes full = VpdPage(0x83, Concat({kNaaDescriptor, kT10Descriptor, kNameDescriptor}));
  const DeviceIdPage whole = ParseExact(full);
  for (size_t size = 4; size < full.size(); ++size) {
    const DeviceIdPage page = ParseExact(Bytes(full.begin(), full.begin() + size));
    ASSERT_EQ(DeviceIdPageStatus::kTruncated, page.status) << size;
    ASSERT_LT(page.identifiers.size(), whole.identifiers.size()) << size;
    for (size_t i = 0; i < page.identifiers.size(); ++i) {
      EXPECT_EQ(whole.identifiers[i].identifier, page.identifiers[i].identifier);
    }
  }
}

TEST(Page83VolumeNameTest, FirstVendorSpecificAsciiIdentifierNamesTheVolume) {
  std::string name;
  Bytes padded = BytesOf("logs01");
  padded.insert(padded.end(), {0, 0, 'z'});
  EXPECT_EQ(S_OK,
            VolumeNameFromDeviceIdPage(
                VpdPage(0x83, Concat({kNaaDescriptor, Descriptor(2, 0, padded), kNameDescriptor})),
                name));
  EXPECT_EQ("logs01", name);
}

TEST(Page83VolumeNameTest, UnusableFirstVendorSpecificIdentifierFails) {
  std::string name = "before";
  const Bytes binary_first =
      VpdPage(0x83, Concat({Descriptor(1, 0, BytesOf("db02")), kNameDescriptor}));
  EXPECT_EQ(E_FAIL, VolumeNameFromDeviceIdPage(binary_first, name));
  const Bytes empty_first = VpdPage(0x83, Concat({Descriptor(2, 0, {}), kNameDescriptor}));
  EXPECT_EQ(E_FAIL, VolumeNameFromDeviceIdPage(empty_first, name));
  EXPECT_EQ("before", name);
}

TEST(Page83VolumeNameTest, NoVendorSpecificIdentifierLeavesTheNameAlone) {
  std::string name;
  EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(
                      VpdPage(0x83, Concat({kNaaDescriptor, kT10Descriptor})), name));
  EXPECT_EQ("", name);
}

TEST(Page83VolumeNameTest, NameBehindACutOffDescriptorIsNotFound) {
  Bytes cut = VpdPage(0x83, Concat({kNaaDescriptor, kNameDescriptor}));
  cut.resize(cut.size() - 1);
  std::string name;
  EXPECT_EQ(S_OK, VolumeNameFromDeviceIdPage(cut, name));
  EXPECT_EQ("", name);
  EXPECT_EQ(E_FAIL, VolumeNameFromDeviceIdPage({0x00, 0x83}, name));
  EXPECT_EQ(E_FAIL, VolumeNameFromDeviceIdPage(VpdPage(0x80, kNameDescriptor), name));
}

}  // namespace
