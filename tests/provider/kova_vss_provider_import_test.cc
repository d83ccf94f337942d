// Import and LUN lifecycle against an emulated array over HTTPS: volume
// copies made and connected to this host, released as "DeleteSnaps" and
// "EradicateVolumes" say, masked, resynchronised; and the name marks that
// decide what the provider may delete.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "library/log/event_catalogue.h"
#include "library/registry_layout.h"
#include "provider/vss/lun_name_marks.h"
#include "tests/support/host_root.h"
#include "tests/provider/provider_fixture.h"

namespace {

using Strings = std::vector<std::string>;

constexpr char kOurSnapshot[] = "db01.VSS-0123456789ABCDEF0123456789ABCDEF";
constexpr char kForeignSnapshot[] = "db02.nightly";
// Named like a copy, but after a serial of another array.
constexpr char kOtherArrayCopy[] = "VSS-00000000000000000000AAAA";
constexpr char kHostIqn[] = "iqn.1994-05.com.example:vss-host";
constexpr char kHostQueryText[] =
    "Querying host iqn/wwn failed. We cannot Map snapshot volume to HOST. Please consult "
    "documentation to make sure your configuration is supported or if additional setup/steps "
    "maybe required!";

// The demo array with one snapshot this system made, one it did not, two
// volumes whose names only look like copies, and a connected volume.
kova_sim::SimSeed ImportSeed() {
  kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
  seed.snapshots = {{kOurSnapshot, "db01", ""}, {kForeignSnapshot, "db02", ""}};
  seed.volumes.push_back({"VSS-backup", 1 << 20, ""});
  seed.volumes.push_back({kOtherArrayCopy, 1 << 20, ""});
  seed.volumes.push_back({"scratch", 1 << 20, ""});
  seed.connections = {{"vss-host", "scratch"}};
  return seed;
}

bool Contains(const Strings& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Index of the first entry equal to |item|; the size when there is none.
size_t IndexOf(const Strings& list, const std::string& item) {
  return static_cast<size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

class ImportTest : public ProviderTest {
 protected:
  ImportTest() : ProviderTest(ImportSeed()) {}

  // The host's initiator names come from host files here, which Windows
  // does not read.
  void SetUp() override {
    ProviderTest::SetUp();
    if (const char* reason = identity_test::HostRoot::NoHostFiles()) GTEST_SKIP() << reason;
    host_.Write("/etc/iscsi/initiatorname.iscsi", std::string("InitiatorName=") + kHostIqn + "\n");
  }

  static std::string Api(const std::string& path) { return "/api/1.1" + path; }
  Strings Destroyed() const {
    Strings list;
    const web::json::value state = sim_.State();
    for (const auto& item : state.at(U("destroyed")).as_array()) {
      list.push_back(utility::conversions::to_utf8string(item.as_string()));
    }
    return list;
  }
  // "host/volume" of every connection on the array.
  Strings Connections() const {
    Strings list;
    const web::json::value state = sim_.State();
    for (const auto& c : state.at(U("connections")).as_array()) {
      list.push_back(utility::conversions::to_utf8string(c.at(U("host")).as_string()) + "/" +
                     utility::conversions::to_utf8string(c.at(U("volume")).as_string()));
    }
    return list;
  }
  static LunSpec WithoutIdentifierList(const std::string& serial, const std::string& name) {
    LunSpec wanted{serial, name};
    wanted.with_identifier_list = false;
    return wanted;
  }

  // LocateLuns for |snapshot| (a record as GetTargetLuns describes it);
  // returns the name of the copy it made.
  std::string Import(CKovaVssProvider* provider, const std::string& snapshot) {
    LunRecordArray luns;
    AddLun(luns, SerialOf(snapshot), snapshot);
    EXPECT_EQ(S_OK, provider->LocateLuns(luns.count(), luns.data()));
    return "VSS-" + SerialOf(snapshot);
  }
  // OnLunEmpty for the LUN of |name|, as VSS passes a released disk.
  HRESULT Release(CKovaVssProvider* provider, const std::string& name) {
    VDS_LUN_INFORMATION lun = MakeLunRecord(LunSpec{SerialOf(name), name});
    const HRESULT result = provider->OnLunEmpty(nullptr, &lun);
    FreeLunInformation(lun);
    return result;
  }
  HRESULT Mask(CKovaVssProvider* provider, const Strings& names, DWORD flags) {
    LunRecordArray luns;
    for (const std::string& name : names) AddLun(luns, SerialOf(name), name);
    return provider->OnLunStateChange(luns.data(), nullptr, luns.count(), flags);
  }

  identity_test::HostRoot host_;
};

// --- LocateLuns -------------------------------------------------------------

TEST_F(ImportTest, LocateLunsCopiesTheSnapshotAndConnectsTheCopyToThisHost) {
  ProviderRef provider;
  const std::string snapshot_serial = SerialOf(kOurSnapshot);
  sim_.ClearRequests();
  LunRecordArray luns;
  AddLun(luns, snapshot_serial, kOurSnapshot);
  ASSERT_EQ(S_OK, provider->LocateLuns(luns.count(), luns.data()));

  const std::string copy = "VSS-" + snapshot_serial;
  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_EQ(Strings({"vss-host/scratch", "vss-host/" + copy}), Connections());
  const Strings requests = RequestLines();
  EXPECT_LT(IndexOf(requests, "POST " + Api("/volume/" + copy)),
            IndexOf(requests, "POST " + Api("/host/vss-host/volume/" + copy)));
  EXPECT_LT(IndexOf(requests, "POST " + Api("/host/vss-host/volume/" + copy)), requests.size());
  EXPECT_EQ(1u, LogCount("LocateLuns: CreateVolumeCopy - Volume copy(Id=" + SerialOf(copy) +
                         ", Name=" + copy + ") created for snapshot(Id=" + snapshot_serial +
                         ", Name=" + kOurSnapshot + ")"));
  EXPECT_EQ(1u, LogCount("Querying host iqn/wwn for volume=" + copy + ", BusType=9"));
  EXPECT_EQ(1u, LogCount(std::string("Found Host ID[0]=") + kHostIqn));
  EXPECT_EQ(1u, LogCount("LocateLuns: Volume(Id=" + SerialOf(copy) + ", Name=" + copy +
                         ") mapped to host successfully"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::LocateLuns(0)"));
  EXPECT_EQ(snapshot_serial, luns[0].m_szSerialNumber);  // the records stay as they were
}

TEST_F(ImportTest, LocateLunsReusesAnExistingCopyAndConnectsItAgain) {
  SetRootDword(kova::kValueDeleteSnaps, 3);
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  ASSERT_EQ(S_OK, Release(provider.get(), copy));  // disconnected, kept
  ASSERT_FALSE(Contains(Connections(), "vss-host/" + copy));
  sim_.ClearRequests();

  Import(provider.get(), kOurSnapshot);
  EXPECT_TRUE(Contains(Connections(), "vss-host/" + copy));
  const Strings volumes = VolumeNames();
  EXPECT_EQ(1, std::count(volumes.begin(), volumes.end(), copy));
  const Strings requests = RequestLines();
  EXPECT_FALSE(Contains(requests, "POST " + Api("/volume/" + copy)));
  EXPECT_TRUE(Contains(requests, "POST " + Api("/host/vss-host/volume/" + copy)));
}

TEST_F(ImportTest, LocateLunsConnectsAFibreChannelLunByThePortNames) {
  host_.AddFcHost(3, "0x21000024ff4c2a11\n");
  ProviderRef provider;
  LunSpec wanted{SerialOf(kOurSnapshot), kOurSnapshot};
  wanted.bus_type = VDSBusTypeFibre;
  LunRecordArray luns = MakeLunRecords({wanted});
  ASSERT_EQ(S_OK, provider->LocateLuns(luns.count(), luns.data()));
  EXPECT_TRUE(Contains(Connections(), "vss-host/VSS-" + SerialOf(kOurSnapshot)));
  EXPECT_EQ(1u, LogCount("Found Host ID[0]=21000024FF4C2A11"));
}

TEST_F(ImportTest, LocateLunsWithoutAHostIdentityMakesTheCopyAndWarns) {
  std::filesystem::remove(host_.Path("/etc/iscsi/initiatorname.iscsi"));
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);

  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_EQ(Strings({"vss-host/scratch"}), Connections());
  EXPECT_EQ(1u, LogCount("Querying host iqn/wwn failed: 5"));
  EXPECT_EQ(1u, LogCount("LocateLuns: Volume(Id=" + SerialOf(copy) + ", Name=" + copy +
                         ") mapping to host FAILED!"));
  Strings types;
  for (const auto& report : events_.Reports()) {
    if (report.event_id != kEventHostInitiatorQueryFailed) continue;
    EXPECT_EQ(kHostQueryText, report.insertion);
    types.push_back(report.type == kEventTypeError ? "error" : "warning");
  }
  EXPECT_EQ(Strings({"error", "warning"}), types);
}

TEST_F(ImportTest, LocateLunsFailsWhenTheArrayKnowsNoHostWithOurName) {
  host_.Write("/etc/iscsi/initiatorname.iscsi", "InitiatorName=iqn.2000-01.com.example:other\n");
  ProviderRef provider;
  LunRecordArray luns;
  AddLun(luns, SerialOf(kOurSnapshot), kOurSnapshot);
  AddLun(luns, SerialOf(kForeignSnapshot), kForeignSnapshot);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->LocateLuns(luns.count(), luns.data()));
  EXPECT_EQ(1u, LogCount("Failed to map volume with the host"));
  ASSERT_EQ(1u, events_.Insertions(kEventVolumeMappingFailed).size());
  EXPECT_NE(std::string::npos,
            events_.Insertions(kEventVolumeMappingFailed)[0].find("not available"));
  // The first record stopped the call: no copy of the second snapshot.
  EXPECT_FALSE(Contains(VolumeNames(), "VSS-" + SerialOf(kForeignSnapshot)));
}

TEST_F(ImportTest, LocateLunsRefusesASnapshotNoArrayHolds) {
  ProviderRef provider;
  const std::string missing = SerialOf("db01").substr(0, 16) + "0000FFFF";
  LunRecordArray luns;
  AddLun(luns, missing, "db01.VSS-FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->LocateLuns(luns.count(), luns.data()));
  EXPECT_EQ(Strings({missing}), events_.Insertions(kEventSnapshotNotOnArray));
  EXPECT_EQ(1u, LogCount("LocateLuns: Snapshot(" + missing +
                         ") does not exist in any lumenstack, error(80004005)"));
}

TEST_F(ImportTest, LocateLunsRefusesBadArgumentsBeforeAnyWork) {
  ProviderRef provider;
  sim_.ClearRequests();
  EXPECT_EQ(E_POINTER, provider->LocateLuns(1, nullptr));

  LunRecordArray first = MakeLunRecords({WithoutIdentifierList(SerialOf(kOurSnapshot), kOurSnapshot)});
  EXPECT_EQ(E_INVALIDARG, provider->LocateLuns(first.count(), first.data()));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::LocateLuns(80070057). Invalid argument: Lun "
                         "VDS descriptor identifier is null"));

  LunRecordArray later;
  AddLun(later, SerialOf(kOurSnapshot), kOurSnapshot);
  AddLun(later, WithoutIdentifierList(SerialOf(kForeignSnapshot), kForeignSnapshot));
  later[1].m_deviceIdDescriptor.m_cIdentifiers = 2;  // counted, but no list to read
  EXPECT_EQ(E_INVALIDARG, provider->LocateLuns(later.count(), later.data()));
  EXPECT_EQ(E_INVALIDARG, provider->LocateLuns(-1, later.data()));
  EXPECT_TRUE(RequestLines().empty());
}

TEST_F(ImportTest, LocateLunsAndResyncLunsRefuseACallerWhoIsNoAdministrator) {
  ProviderRef provider;
  sim_.ClearRequests();
  platform::ScopedCallerIdentity user(1000);
  LunRecordArray luns;
  AddLun(luns, SerialOf(kOurSnapshot), kOurSnapshot);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->LocateLuns(luns.count(), luns.data()));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->ResyncLuns(luns.data(), luns.data(), 1, nullptr));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::LocateLuns(80042306). Authorization failure"));
  EXPECT_EQ(1u,
            LogCount("EXITING : CKovaVssProvider::ResyncLuns(80042306). Authorization failure"));
  EXPECT_EQ(Strings({"", ""}), events_.Insertions(kEventCallerNotAdministrator));
  EXPECT_TRUE(RequestLines().empty());
}

// --- OnLunEmpty ---------------------------------------------------------------

// "DeleteSnaps" x "EradicateVolumes" for the LUN of a volume copy.
class ReleaseCopyTest : public ImportTest,
                        public testing::WithParamInterface<std::tuple<uint32_t, bool>> {};

TEST_P(ReleaseCopyTest, DisconnectsTheCopyAndDeletesWhatTheSettingsAllow) {
  const uint32_t delete_snaps = std::get<0>(GetParam());
  const bool eradicate = std::get<1>(GetParam());
  SetRootDword(kova::kValueDeleteSnaps, delete_snaps);
  SetRootDword(kova::kValueEradicateVolumes, eradicate ? 1 : 0);
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  const std::string copy_serial = SerialOf(copy);
  sim_.ClearRequests();
  ASSERT_EQ(S_OK, Release(provider.get(), copy));

  EXPECT_FALSE(Contains(Connections(), "vss-host/" + copy));
  const bool copy_goes = delete_snaps == 0 || delete_snaps == 1;
  const bool snapshot_goes = delete_snaps == 0 || delete_snaps == 2;
  EXPECT_EQ(!copy_goes, Contains(VolumeNames(), copy));
  EXPECT_EQ(!snapshot_goes, Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_EQ(copy_goes && !eradicate, Contains(Destroyed(), copy));
  EXPECT_EQ(snapshot_goes && !eradicate, Contains(Destroyed(), kOurSnapshot));
  EXPECT_TRUE(Contains(SnapshotNames(), kForeignSnapshot));
  EXPECT_TRUE(Contains(VolumeNames(), "db01"));

  // The copy is disconnected, then deleted, then its snapshot.
  const Strings requests = RequestLines();
  const size_t disconnect = IndexOf(requests, "DELETE " + Api("/host/vss-host/volume/" + copy));
  const size_t copy_delete = IndexOf(requests, "DELETE " + Api("/volume/" + copy));
  const size_t snapshot_delete = IndexOf(requests, "DELETE " + Api("/volume/") + kOurSnapshot);
  EXPECT_LT(disconnect, requests.size());
  if (copy_goes) {
    EXPECT_LT(disconnect, copy_delete);
  }
  if (copy_goes && snapshot_goes) {
    EXPECT_LT(copy_delete, snapshot_delete);
  }
  EXPECT_EQ(1u, LogCount("OnLunEmpty: Lun identified as a volume copy (Name=" + copy + ")"));
  EXPECT_EQ(1u, LogCount("OnLunEmpty: Volume(Id=" + copy_serial + ", Name=" + copy +
                         ") unmapped from host successfully"));
  // Written whether the copy went or stayed.
  EXPECT_EQ(
      1u, LogCount("OnLunEmpty: Volume (" + copy + ", Id=" + copy_serial + ") deleted from array"));
  EXPECT_EQ(snapshot_goes ? 1u : 0u,
            LogCount(std::string("OnLunEmpty: Snapshot [(Name=") + kOurSnapshot));
}

INSTANTIATE_TEST_SUITE_P(DeleteSnapsAndEradicate, ReleaseCopyTest,
                         testing::Combine(testing::Values(0u, 1u, 2u, 3u), testing::Bool()));

TEST_F(ImportTest, OnLunEmptyForASnapshotWithoutACopyDeletesOnlyTheSnapshot) {
  ProviderRef provider;
  sim_.ClearRequests();
  ASSERT_EQ(S_OK, Release(provider.get(), kOurSnapshot));
  EXPECT_FALSE(Contains(SnapshotNames(), kOurSnapshot));
  for (const std::string& line : RequestLines()) {
    EXPECT_EQ(std::string::npos, line.find("/host/")) << line;
  }
  EXPECT_EQ(1u, LogCount(std::string("OnLunEmpty: Lun identified as a snapshot (Name=") +
                         kOurSnapshot + ")"));
}

TEST_F(ImportTest, OnLunEmptyForASnapshotReleasesItsCopyFirst) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  ASSERT_EQ(S_OK, Release(provider.get(), kOurSnapshot));
  EXPECT_FALSE(Contains(VolumeNames(), copy));
  EXPECT_FALSE(Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_EQ(Strings({"vss-host/scratch"}), Connections());
}

TEST_F(ImportTest, OnLunEmptyTreatsDeleteSnapsAboveThreeAsThree) {
  SetRootDword(kova::kValueDeleteSnaps, 7);
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  ASSERT_EQ(S_OK, Release(provider.get(), copy));
  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_FALSE(Contains(Connections(), "vss-host/" + copy));
}

TEST_F(ImportTest, OnLunEmptyNeverDeletesWhatTheProviderDidNotMake) {
  ProviderRef provider;
  Strings expected_events;
  for (const std::string name : {"db01", "VSS-backup", kOtherArrayCopy}) {
    EXPECT_EQ(VSS_E_PROVIDER_VETO, Release(provider.get(), name)) << name;
    EXPECT_EQ(1u, LogCount("OnLunEmpty: Lun (name=" + name + ", serial=" + SerialOf(name) +
                           ") is not a snapshot or volume copy."));
    EXPECT_TRUE(Contains(VolumeNames(), name));
    expected_events.push_back("Provider was called to delete unknown LUN (name=" + name +
                              ", serial=" + SerialOf(name) + ")");
  }
  EXPECT_EQ(expected_events, events_.Insertions(kEventSnapshotDeletionFailed));

  // A copy of someone else's snapshot goes; that snapshot stays.
  const std::string copy = Import(provider.get(), kForeignSnapshot);
  ASSERT_EQ(S_OK, Release(provider.get(), copy));
  EXPECT_FALSE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(SnapshotNames(), kForeignSnapshot));
  EXPECT_TRUE(Destroyed().empty());
}

TEST_F(ImportTest, OnLunEmptyIgnoresOtherVendorsAndRefusesUnknownLuns) {
  ProviderRef provider;
  sim_.ClearRequests();
  LunSpec other{SerialOf(kOurSnapshot), kOurSnapshot, "ACME    "};
  VDS_LUN_INFORMATION lun = MakeLunRecord(other);
  EXPECT_EQ(S_OK, provider->OnLunEmpty(nullptr, &lun));
  FreeLunInformation(lun);
  EXPECT_TRUE(RequestLines().empty());
  EXPECT_EQ(1u, LogCount("Non KOVA Lun encountered. VendorId=ACME    "));
  EXPECT_EQ(E_POINTER, provider->OnLunEmpty(nullptr, nullptr));

  // On its array but without a mark of the provider: not ours to call released.
  const std::string unknown = SerialOf("db01").substr(0, 16) + "0000FFFF";
  lun = MakeLunRecord(LunSpec{unknown, "db01-ghost"});
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->OnLunEmpty(nullptr, &lun));
  FreeLunInformation(lun);
  EXPECT_EQ(Strings({unknown}), events_.Insertions(kEventVolumeNotOnKnownArray));
  EXPECT_EQ(1u, LogCount("Lun(" + unknown +
                         ") is not found in any lumenstack to delete, error(80004005)"));
  // On no configured array at all.
  const std::string elsewhere = "0123456789ABCDEF0000FFFF";
  lun = MakeLunRecord(LunSpec{elsewhere, "db01.VSS-FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"});
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->OnLunEmpty(nullptr, &lun));
  FreeLunInformation(lun);
  EXPECT_EQ(Strings({unknown, elsewhere}), events_.Insertions(kEventVolumeNotOnKnownArray));
}

TEST_F(ImportTest, OnLunEmptyForALunReleasedBeforeReleasesWhatIsLeftOfIt) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  const std::string snapshot_serial = SerialOf(kOurSnapshot);
  const std::string copy_serial = SerialOf(copy);
  // An earlier OnLunEmpty for the copy deleted it and then failed on the snapshot.
  kova_sim::Fault refuse;
  refuse.method = "DELETE";
  refuse.path_contains = std::string("/volume/") + kOurSnapshot;
  refuse.status = 500;
  refuse.body = R"({"msg": "array busy"})";
  sim_.InjectFault(refuse);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Release(provider.get(), copy));
  EXPECT_FALSE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(SnapshotNames(), kOurSnapshot));

  VDS_LUN_INFORMATION lun = MakeLunRecord(LunSpec{copy_serial, copy});
  EXPECT_EQ(S_OK, provider->OnLunEmpty(nullptr, &lun));
  FreeLunInformation(lun);
  EXPECT_FALSE(Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_EQ(1u, LogCount("OnLunEmpty: Lun (name=" + copy + ", serial=" + copy_serial +
                         ") is no longer on the array; releasing what is left of it"));

  // Released once more: nothing is left, nothing is deleted.
  sim_.ClearRequests();
  lun = MakeLunRecord(LunSpec{snapshot_serial, kOurSnapshot});
  EXPECT_EQ(S_OK, provider->OnLunEmpty(nullptr, &lun));
  FreeLunInformation(lun);
  for (const std::string& line : RequestLines()) EXPECT_EQ(std::string::npos, line.find("DELETE")) << line;
  EXPECT_TRUE(Destroyed().empty());
}

TEST_F(ImportTest, OnLunEmptyStopsWhenTheArrayRefusesADeletion) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  std::filesystem::remove(host_.Path("/etc/iscsi/initiatorname.iscsi"));

  // Still connected: the array will not destroy the copy.
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Release(provider.get(), copy));
  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_EQ(1u, LogCount("OnLunEmpty: Volume(Id=" + SerialOf(copy) + ", Name=" + copy +
                         ") mapping to host FAILED!"));
  EXPECT_EQ(1u, LogCount("Failed to delete the snapshot"));
  ASSERT_EQ(1u, events_.Insertions(kEventSnapshotDeletionFailed).size());
  EXPECT_NE(std::string::npos, events_.Insertions(kEventSnapshotDeletionFailed)[0].find(
                                   "Volume has host connections."));
}

// --- OnLunStateChange -----------------------------------------------------------

TEST_F(ImportTest, OnLunStateChangeWithoutTheMaskFlagDoesNothing) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  sim_.ClearRequests();
  EXPECT_EQ(S_OK, Mask(provider.get(), {copy}, VSS_ONLUNSTATECHANGE_NOTIFY_READ_WRITE));
  EXPECT_TRUE(RequestLines().empty());
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::OnLunStateChange(0). Mask Luns Flag not set"));
  EXPECT_EQ(E_POINTER,
            provider->OnLunStateChange(nullptr, nullptr, 1, VSS_ONLUNSTATECHANGE_DO_MASK_LUNS));
}

TEST_F(ImportTest, OnLunStateChangeMasksCopiesAndDeletesThemAsDeleteSnapsSays) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  const std::string copy_serial = SerialOf(copy);
  ASSERT_EQ(S_OK, Mask(provider.get(), {copy}, VSS_ONLUNSTATECHANGE_DO_MASK_LUNS));
  EXPECT_FALSE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(SnapshotNames(), kOurSnapshot));
  EXPECT_EQ(1u, LogCount("OnLunStateChange: Volume(Id=" + copy_serial + ", Name=" + copy +
                         ") unmapped from host successfully"));
  EXPECT_EQ(1u, LogCount("OnLunStateChange: Volume(Name=" + copy + ") deleted from host"));
  EXPECT_EQ(Strings({"vss-host/scratch"}), Connections());
}

TEST_F(ImportTest, OnLunStateChangeKeepsCopiesUnderDeleteSnapsTwoAndForeignVolumes) {
  SetRootDword(kova::kValueDeleteSnaps, 2);
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  ASSERT_EQ(S_OK, Mask(provider.get(), {copy, "scratch"}, VSS_ONLUNSTATECHANGE_DO_MASK_LUNS));
  EXPECT_TRUE(Connections().empty());
  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_TRUE(Contains(VolumeNames(), "scratch"));
  EXPECT_EQ(1u, LogCount("OnLunStateChange: Volume(Name=scratch) was not made by the provider"));
  EXPECT_TRUE(Destroyed().empty());
}

TEST_F(ImportTest, OnLunStateChangeStopsAtARefusedDisconnection) {
  ProviderRef provider;
  const std::string copy = Import(provider.get(), kOurSnapshot);
  // db02 is not connected, which is as asked for; the array refuses to
  // disconnect the copy, which stays connected.
  kova_sim::Fault refuse;
  refuse.method = "DELETE";
  refuse.path_contains = "/host/vss-host/volume/" + copy;
  refuse.status = 503;
  refuse.body = R"({"msg": "Array is busy."})";
  sim_.InjectFault(refuse);
  EXPECT_EQ(VSS_E_PROVIDER_VETO,
            Mask(provider.get(), {"db02", copy, "db01"}, VSS_ONLUNSTATECHANGE_DO_MASK_LUNS));
  EXPECT_TRUE(Contains(Connections(), "vss-host/" + copy));
  EXPECT_TRUE(Contains(VolumeNames(), copy));
  EXPECT_EQ(1u, LogCount("Failed to disconnect the volume from host"));
  EXPECT_EQ(0u, LogCount("Volume(db01)")) << "the call stopped at the copy";
  ASSERT_EQ(1u, events_.Insertions(kEventVolumeUnmappingFailed).size());
  EXPECT_NE(std::string::npos, events_.Insertions(kEventVolumeUnmappingFailed)[0].find("Array is busy."));
}

TEST_F(ImportTest, ConnectionsMadeOrEndedWithoutAnAnswerAreNotDoneTwice) {
  ProviderRef provider;
  // The connection is made, its answer lost: the import fails, and is repeated.
  kova_sim::Fault lost;
  lost.kind = kova_sim::Fault::Kind::kExecuteThenDrop;
  lost.method = "POST";
  lost.path_contains = "/host/vss-host/volume/";
  sim_.InjectFault(lost);
  LunRecordArray luns;
  AddLun(luns, SerialOf(kOurSnapshot), kOurSnapshot);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, provider->LocateLuns(luns.count(), luns.data()));
  const std::string copy = Import(provider.get(), kOurSnapshot);
  const Strings connections = Connections();
  EXPECT_EQ(1, std::count(connections.begin(), connections.end(), "vss-host/" + copy));

  // The connection is ended, its answer lost: the release fails, and is repeated.
  lost.method = "DELETE";
  sim_.InjectFault(lost);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Release(provider.get(), copy));
  EXPECT_FALSE(Contains(Connections(), "vss-host/" + copy));
  EXPECT_EQ(S_OK, Release(provider.get(), copy));
  EXPECT_FALSE(Contains(VolumeNames(), copy));
  EXPECT_FALSE(Contains(SnapshotNames(), kOurSnapshot));
}

// --- ResyncLuns -------------------------------------------------------------------

class ResyncTest : public ImportTest {
 protected:
  ResyncTest() : other_(OtherArraySeed()) {}
  static kova_sim::SimSeed OtherArraySeed() {
    kova_sim::SimSeed seed = kova_sim::SimSeed::Default();
    seed.array_id = "0c2d4e6f-8a1b-4c3d-9e5f-a1b2c3d4e5f6";
    seed.array_name = "kova-sim-02";
    seed.volumes = {{"remote01", 1 << 20, ""}};
    return seed;
  }
  void SetUp() override {
    ImportTest::SetUp();
    other_.Start();
    ConfigureArray("array2", other_.Url(), Token());
  }
  void TearDown() override {
    other_.Stop();
    ImportTest::TearDown();
  }
  std::string RemoteSerial() const {
    return utility::conversions::to_utf8string(
        other_.State().at(U("volumes")).as_array().at(0).at(U("serial")).as_string());
  }
  HRESULT Resync(CKovaVssProvider* provider,
                 const std::vector<std::pair<LunSpec, LunSpec>>& pairs) {
    LunRecordArray sources;
    LunRecordArray targets;
    for (const auto& pair : pairs) {
      AddLun(sources, pair.first);
      AddLun(targets, pair.second);
    }
    return provider->ResyncLuns(sources.data(), targets.data(),
                                static_cast<DWORD>(pairs.size()), nullptr);
  }
  LunSpec Local(const std::string& name) const { return LunSpec{SerialOf(name), name}; }
  LunSpec Remote() const { return LunSpec{RemoteSerial(), "remote01"}; }

  TestArraySim other_;
};

TEST_F(ResyncTest, CopiesEachSnapshotOntoItsVolume) {
  ProviderRef provider;
  sim_.ClearRequests();
  ASSERT_EQ(S_OK, Resync(provider.get(), {{Local(kOurSnapshot), Local("db01")}}));
  const auto requests = sim_.Requests();
  const auto copy = std::find_if(requests.begin(), requests.end(), [](const auto& r) {
    return r.method == "POST" && r.target == "/api/1.1/volume/db01";
  });
  ASSERT_NE(copy, requests.end());
  EXPECT_NE(std::string::npos, copy->body.find(kOurSnapshot));
  EXPECT_NE(std::string::npos, copy->body.find("\"overwrite\":true"));
  EXPECT_EQ(
      1u, LogCount(std::string("Volume copy resync initiated from ") + kOurSnapshot + " to db01"));
}

TEST_F(ResyncTest, APairOnTwoArraysFailsTheCallWhicheverItsPlace) {
  ProviderRef provider;
  const std::string same_array_error = "Both Target(remote01) and Source(" +
                                       std::string(kOurSnapshot) +
                                       ") volumes do not belong to the same kova array";
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Resync(provider.get(), {{Local(kOurSnapshot), Remote()},
                                                         {Local(kOurSnapshot), Local("db01")}}));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Resync(provider.get(), {{Local(kOurSnapshot), Local("db01")},
                                                         {Local(kOurSnapshot), Remote()}}));
  EXPECT_EQ(2u, LogCount("Resync failed. " + same_array_error));
  EXPECT_EQ(Strings({"Error: " + same_array_error, "Error: " + same_array_error}),
            events_.Insertions(kEventResyncFailed));
  // Both good pairs were still copied; nothing reached the other array's volume.
  EXPECT_EQ(2u, LogCount("Volume copy resync initiated from"));
  for (const auto& request : other_.Requests()) {
    EXPECT_FALSE(request.method == "POST" && request.target == "/api/1.1/volume/remote01");
  }
}

TEST_F(ResyncTest, AnUnknownLunEndsTheCallWithTheLookupResult) {
  ProviderRef provider;
  const std::string unknown = SerialOf("db01").substr(0, 16) + "0000FFFF";
  EXPECT_EQ(E_FAIL, Resync(provider.get(), {{LunSpec{unknown, "gone"}, Local("db01")},
                                            {Local(kOurSnapshot), Local("db02")}}));
  EXPECT_EQ(1u, LogCount("Source volume(" + unknown + ") does not exist in any lumenstack"));
  EXPECT_EQ(Strings({unknown}), events_.Insertions(kEventVolumeNotOnKnownArray));
  EXPECT_EQ(0u, LogCount("Volume copy resync initiated"));
}

TEST_F(ResyncTest, ARefusedCopyEndsTheCall) {
  ProviderRef provider;
  kova_sim::Fault busy;
  busy.method = "POST";
  busy.path_contains = "/volume/db01";
  busy.status = 400;
  busy.body = "{\"msg\": \"Volume is busy.\"}";
  sim_.InjectFault(busy);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Resync(provider.get(), {{Local(kOurSnapshot), Local("db01")},
                                                         {Local(kOurSnapshot), Local("db02")}}));
  EXPECT_EQ(1u, LogCount("Resync failed."));
  ASSERT_EQ(1u, events_.Insertions(kEventResyncFailed).size());
  EXPECT_EQ(0u, events_.Insertions(kEventResyncFailed)[0].find("Resync Failed: "));
  EXPECT_NE(std::string::npos, events_.Insertions(kEventResyncFailed)[0].find("Volume is busy."));
  EXPECT_EQ(0u, LogCount("Volume copy resync initiated"));
}

TEST_F(ResyncTest, RefusesMissingRecords) {
  ProviderRef provider;
  LunRecordArray luns;
  AddLun(luns, Local(kOurSnapshot));
  EXPECT_EQ(E_POINTER, provider->ResyncLuns(nullptr, luns.data(), 1, nullptr));
  EXPECT_EQ(E_POINTER, provider->ResyncLuns(luns.data(), nullptr, 1, nullptr));
  LunSpec bare = Local("db01");
  bare.with_identifier_list = false;
  LunRecordArray targets = MakeLunRecords({bare});
  EXPECT_EQ(E_INVALIDARG, provider->ResyncLuns(luns.data(), targets.data(), 1, nullptr));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::ResyncLuns(80070057). Invalid Argument: LUN "
                         "Info is NULL"));
}

// --- OnReuseLuns ------------------------------------------------------------------

TEST_F(ImportTest, OnReuseLunsIsNotImplementedInAnyState) {
  ProviderRef provider;
  EXPECT_EQ(E_NOTIMPL, provider->OnReuseLuns(nullptr, nullptr, 0));
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  CreateSet(provider.get(), TestGuid(1), luns);
  EXPECT_EQ(E_NOTIMPL, provider->OnReuseLuns(luns.data(), luns.data(), 1));
  EXPECT_EQ(2u, LogCount("Unsupported(OnReuseLuns()) VSS API got called."));
}

// --- Name marks -------------------------------------------------------------------

TEST(LunNameMarksTest, RecognisesOnlyTheNamesTheProviderMakes) {
  EXPECT_EQ(LunNameKind::kSnapshot, ClassifyLunName(kOurSnapshot));
  EXPECT_EQ(LunNameKind::kVolumeCopy, ClassifyLunName("VSS-6F1C2A9E4B7D4C3A00000001"));
  // A snapshot of a volume copy is a snapshot, not a copy.
  EXPECT_EQ(LunNameKind::kSnapshot,
            ClassifyLunName("VSS-6F1C2A9E4B7D4C3A00000001.VSS-0123456789ABCDEF0123456789ABCDEF"));
  for (const char* name :
       {"", "VSS-", "VSS-backup", "VSS-0123456789ABCDE", "vss-6F1C2A9E4B7D4C3A0001", "db01",
        "db01.nightly", ".VSS-0123456789ABCDEF0123456789ABCDEF",
        "db01.VSS-0123456789ABCDEF0123456789ABCDE", "db01.VSS-0123456789ABCDEF0123456789ABCDEFF",
        "db01.VSS-0123456789ABCDEF0123456789ABCDEX", "db01.VSS-x.copy"}) {
    EXPECT_EQ(LunNameKind::kUnknown, ClassifyLunName(name)) << name;
  }
  EXPECT_EQ("6F1C2A9E4B7D4C3A00000001", VolumeCopySourceSerial("VSS-6F1C2A9E4B7D4C3A00000001"));
  EXPECT_EQ("", VolumeCopySourceSerial("VSS-backup"));
}

TEST(LunNameMarksTest, DeleteSnapsDecidesPerKind) {
  const uint32_t values[] = {0, 1, 2, 3, 7};
  const bool copy[] = {true, true, false, false, false};
  const bool snapshot[] = {true, false, true, false, false};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(copy[i], DeleteSnapsAllows(LunNameKind::kVolumeCopy, values[i])) << values[i];
    EXPECT_EQ(snapshot[i], DeleteSnapsAllows(LunNameKind::kSnapshot, values[i])) << values[i];
    EXPECT_FALSE(DeleteSnapsAllows(LunNameKind::kUnknown, values[i]));
  }
}

}  // namespace
