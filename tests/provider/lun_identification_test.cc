// Which array holds a LUN's volume and under which name: the LUN cache, the
// confirmation with the array and the array scan that recovers a name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/provider/provider_fixture.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Serials fixed in the seed, so that a second array instance can carry the
// same volume under another name.
constexpr char kDb01Serial[] = "9E258D0B7A4F1E6300000101";
constexpr char kSnapshotSerial[] = "9E258D0B7A4F1E6300000201";

kova_sim::SimSeed FixedSerialSeed(const std::string& db01_name) {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.volumes[0].name = db01_name;
  seed.volumes[0].serial = kDb01Serial;
  seed.snapshots = {{db01_name + ".nightly", db01_name, kSnapshotSerial}};
  return seed;
}

class LunIdentificationTest : public ProviderTest {
 protected:
  LunIdentificationTest() : ProviderTest(FixedSerialSeed("db01")) {}

  void SetUp() override {
    ProviderTest::SetUp();
    provider_ = std::make_unique<ProviderRef>();
    sim_.ClearRequests();
  }
  void TearDown() override {
    provider_.reset();
    ProviderTest::TearDown();
  }
  // Looks |luns| up through AreLunsSupported; the names found are logged.
  bool Supported(LunRecordArray& luns) {
    BOOL supported = FALSE;
    EXPECT_EQ(S_OK, (*provider_)->AreLunsSupported(luns.count(), 0, luns.devices(), luns.data(),
                                                   &supported));
    return supported != FALSE;
  }
  // The volume name the lookup of |serial| reported last.
  std::string FoundName(const std::string& serial) const {
    const std::string prefix = "Lun serial(" + serial + ") is found as volume(";
    std::string name;
    for (const std::string& message : Messages()) {
      if (message.rfind(prefix, 0) == 0) name = message.substr(prefix.size(), message.find(')', prefix.size()) - prefix.size());
    }
    return name;
  }
  size_t ScanCount() const { return LogCount("Array scan fallback to find volume name for serial"); }

  std::unique_ptr<ProviderRef> provider_;
};

TEST_F(LunIdentificationTest, TheNameInTheRecordIsConfirmedWithOneRequest) {
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "db01");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01"));
  EXPECT_EQ("db01", FoundName(kDb01Serial));
  EXPECT_EQ(0u, ScanCount());
}

TEST_F(LunIdentificationTest, ASecondLookupComesFromTheCacheWithoutAMembershipTest) {
  LunRecordArray named;
  AddLun(named, kDb01Serial, "db01");
  ASSERT_TRUE(Supported(named));
  const size_t membership = LogCount("ENTERING: KovaArray::DoesVolumeBelongToArray");
  EXPECT_EQ(1u, membership);

  sim_.ClearRequests();
  LunRecordArray unnamed;
  AddLun(unnamed, kDb01Serial);
  EXPECT_TRUE(Supported(unnamed));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01"));
  EXPECT_EQ(membership, LogCount("ENTERING: KovaArray::DoesVolumeBelongToArray"));
  EXPECT_EQ(0u, ScanCount());
}

TEST_F(LunIdentificationTest, WithoutANameTheArrayScanFindsTheVolume) {
  LunRecordArray luns;
  AddLun(luns, kDb01Serial);
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume"));
  EXPECT_EQ("db01", FoundName(kDb01Serial));
  EXPECT_EQ(1u, LogCount("GetArrayAndVolumeNameInfo: Array scan fallback to find volume name for "
                         "serial (" + std::string(kDb01Serial) + ")"));
}

TEST_F(LunIdentificationTest, AStaleNameIsCorrectedByTheScan) {
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "db02");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db02", "GET /api/1.1/volume"));
  EXPECT_EQ("db01", FoundName(kDb01Serial));
}

TEST_F(LunIdentificationTest, ASnapshotLunIsFoundByTheSnapshotScanAndCached) {
  LunRecordArray luns;
  AddLun(luns, kSnapshotSerial);
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume", "GET /api/1.1/volume?snap=true"));
  EXPECT_EQ("db01.nightly", FoundName(kSnapshotSerial));

  sim_.ClearRequests();
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01.nightly"));
}

TEST_F(LunIdentificationTest, ANameInBinaryIsNotUsedAndAMissingDeviceLeadsToTheScan) {
  LunSpec wanted;
  wanted.serial = kDb01Serial;
  wanted.volume_name = "db01";
  wanted.name_code_set = VDSStorageIdCodeSetBinary;
  LunRecordArray luns;
  AddLun(luns, wanted, "/dev/kova-test-no-such-disk");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume"));
  EXPECT_EQ(1u, ScanCount());
}

TEST_F(LunIdentificationTest, ANameThatCannotStandInAPathIsNeverSent) {
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "../host");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume"));
  EXPECT_EQ("db01", FoundName(kDb01Serial));
}

TEST_F(LunIdentificationTest, ASerialOfNoConfiguredArrayAsksNothing) {
  LunRecordArray luns;
  AddLun(luns, "0123456789ABCDEF00000001", "db01");
  EXPECT_FALSE(Supported(luns));
  EXPECT_THAT(RequestLines(), IsEmpty());
}

TEST_F(LunIdentificationTest, AVolumeRenamedOnTheArrayIsFoundAgainAndRecached) {
  if (const char* reason = NoEmulatorStop()) GTEST_SKIP() << reason;
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "db01");
  ASSERT_TRUE(Supported(luns));

  // The same array, now calling the volume db01-renamed.
  const uint16_t port = sim_.Port();
  sim_.Stop();
  TestArraySim renamed(FixedSerialSeed("db01-renamed"));
  renamed.Start(port);
  LunRecordArray unnamed;
  AddLun(unnamed, kDb01Serial);
  EXPECT_TRUE(Supported(unnamed));
  EXPECT_EQ("db01-renamed", FoundName(kDb01Serial));
  EXPECT_EQ(1u, ScanCount());

  renamed.ClearRequests();
  EXPECT_TRUE(Supported(unnamed));
  std::vector<std::string> lines;
  for (const auto& request : renamed.Requests()) lines.push_back(request.method + " " + request.target);
  EXPECT_THAT(lines, ElementsAre("GET /api/1.1/volume/db01-renamed"));
  provider_.reset();
  renamed.Stop();
}

class TwoArraysTest : public LunIdentificationTest {
 protected:
  explicit TwoArraysTest(kova_sim::SimSeed second = SecondSeed()) : second_(std::move(second)) {}

  static kova_sim::SimSeed SecondSeed() {
    kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
    seed.array_id = "0f0e0d0c-0b0a-0908-0706-050403020100";
    seed.volumes = {{"sql01", 1 << 30, "0706050403020100000000AA"}};
    return seed;
  }
  void SetUp() override {
    second_.Start();
    ProviderTest::SetUp();
    ConfigureArray("array2", second_.Url(), Token());
    provider_ = std::make_unique<ProviderRef>();
  }
  void TearDown() override {
    LunIdentificationTest::TearDown();
    second_.Stop();
  }
  TestArraySim second_;
};

TEST_F(TwoArraysTest, EachSerialIsLookedUpOnTheArrayItBelongsTo) {
  sim_.ClearRequests();
  second_.ClearRequests();
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "db01");
  AddLun(luns, "0706050403020100000000AA", "sql01");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01"));
  ASSERT_EQ(1u, second_.Requests().size());
  EXPECT_EQ("/api/1.1/volume/sql01", second_.Requests()[0].target);
  EXPECT_EQ(1u, LogCount("is found as volume(sql01) in KOVA array(URL=" + second_.Url() + ")"));
}

// A second array whose serial prefix shares its first 8 characters with the
// first array's (9E258D0B) and differs in the 8 after them: only all 16
// characters tell the two arrays apart.
constexpr char kNearArrayId[] = "0f0e0d0c-0b0a-0908-9e25-8d0b00c0ffee";
constexpr char kNearSerial[] = "9E258D0B00C0FFEE000000AA";

class ArraysSharingTheSerialStartTest : public TwoArraysTest {
 protected:
  ArraysSharingTheSerialStartTest() : TwoArraysTest(NearSeed()) {}

  static kova_sim::SimSeed NearSeed() {
    kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
    seed.array_id = kNearArrayId;
    seed.volumes = {{"sql01", 1 << 30, kNearSerial}};
    return seed;
  }
};

TEST_F(ArraysSharingTheSerialStartTest, AllSixteenCharactersChooseTheArray) {
  sim_.ClearRequests();
  second_.ClearRequests();
  LunRecordArray luns;
  AddLun(luns, kDb01Serial, "db01");
  AddLun(luns, kNearSerial, "sql01");
  EXPECT_TRUE(Supported(luns));
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01"));
  ASSERT_EQ(1u, second_.Requests().size());
  EXPECT_EQ("/api/1.1/volume/sql01", second_.Requests()[0].target);
  EXPECT_EQ(1u, LogCount("is found as volume(db01) in KOVA array(URL=" + sim_.Url() + ")"));
  EXPECT_EQ(1u, LogCount("is found as volume(sql01) in KOVA array(URL=" + second_.Url() + ")"));
}

TEST_F(ArraysSharingTheSerialStartTest, ASerialSharingOnlyTheFirstEightCharactersBelongsToNeither) {
  sim_.ClearRequests();
  second_.ClearRequests();
  LunRecordArray luns;
  AddLun(luns, "9E258D0B11111111000000AA", "db01");
  EXPECT_FALSE(Supported(luns));
  EXPECT_THAT(RequestLines(), IsEmpty());
  EXPECT_THAT(second_.Requests(), IsEmpty());
}

}  // namespace
