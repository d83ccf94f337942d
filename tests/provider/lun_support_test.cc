// AreLunsSupported, FillInLunInfo and GetTargetLuns as VSS calls them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "library/log/event_catalogue.h"
#include "library/rest/kova_array.h"
#include "platform/guid.h"
#include "tests/provider/provider_fixture.h"

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::SizeIs;

namespace {

class LunSupportTest : public ProviderTest {
 protected:
  HRESULT AreSupported(LunRecordArray& luns, BOOL* supported, LONG context = 0) {
    return Provider()->AreLunsSupported(luns.count(), context, luns.devices(), luns.data(),
                                       supported);
  }
  std::string UnknownSerial() const { return SerialOf("db01").substr(0, 16) + "0000FFFF"; }
  size_t RequestCount() const { return sim_.Requests().size(); }

  std::unique_ptr<ProviderRef> provider_;

  void SetUp() override {
    ProviderTest::SetUp();
    provider_ = std::make_unique<ProviderRef>();
    sim_.ClearRequests();
  }
  void TearDown() override {
    provider_.reset();
    ProviderTest::TearDown();
  }
  CKovaVssProvider* Provider() const { return provider_->get(); }
};

TEST_F(LunSupportTest, NoLunsAreSupported) {
  LunRecordArray none;
  BOOL supported = FALSE;
  EXPECT_EQ(S_OK, AreSupported(none, &supported));
  EXPECT_TRUE(supported);
  EXPECT_EQ(1u, LogCount("EXITING : CKovaVssProvider::AreLunsSupported(0)"));
}

TEST_F(LunSupportTest, EveryLunOnAConfiguredArrayIsSupported) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddLun(luns, SerialOf("db02"), "db02");
  BOOL supported = FALSE;
  EXPECT_EQ(S_OK, AreSupported(luns, &supported));
  EXPECT_TRUE(supported);
  EXPECT_EQ(1u, LogCount("Lun serial(" + SerialOf("db02") + ") is found as volume(db02) in KOVA array(URL=" +
                         sim_.Url() + ")"));
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::AreLunsSupported(1): Serial=" + SerialOf("db02") +
                         " VendorId=KOVA    "));
  const std::vector<std::string> messages = Messages();
  const auto entering = std::find(messages.begin(), messages.end(),
                                  "ENTERING : CKovaVssProvider::AreLunsSupported()");
  ASSERT_NE(entering, messages.end());
  ASSERT_NE(entering, messages.begin());
  EXPECT_EQ(std::string(47, '*'), *(entering - 1));
  EXPECT_EQ(std::string(47, '*'), *(entering + 1));
}

TEST_F(LunSupportTest, AForeignLunMakesTheSetUnsupportedWithoutAskingAnArray) {
  LunSpec foreign;
  foreign.serial = "6000C29A1B2C3D4E5F60718293A4B5C6";
  foreign.vendor = "OTHERCO ";
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddLun(luns, foreign);
  BOOL supported = TRUE;
  EXPECT_EQ(S_OK, AreSupported(luns, &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(0u, RequestCount());
  EXPECT_EQ(1u, LogCount("EXITING: AreLunsSupported. Serial=6000C29A1B2C3D4E5F60718293A4B5C6 "
                         "VendorId=OTHERCO  - is not a KOVA lun"));
  EXPECT_EQ(1u, LogCount("Non KOVA Lun encountered. VendorId=OTHERCO "));
}

TEST_F(LunSupportTest, AnUnknownSerialMakesTheSetUnsupportedAndTheFoundLunStaysCached) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddLun(luns, UnknownSerial(), "ghost");
  BOOL supported = TRUE;
  EXPECT_EQ(S_OK, AreSupported(luns, &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(1u, LogCount("Lun serial " + UnknownSerial() +
                         " could not be located in a configured KOVA array.HR=80004005"));

  // db01 comes from the cache now: a record without its name costs one
  // confirmation request and no array scan.
  sim_.ClearRequests();
  LunRecordArray again;
  AddLun(again, SerialOf("db01"));
  EXPECT_EQ(S_OK, AreSupported(again, &supported));
  EXPECT_TRUE(supported);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01"));
}

TEST_F(LunSupportTest, PlexSnapshotsAreRefusedWithAWarningEvent) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  BOOL supported = TRUE;
  EXPECT_EQ(VSS_E_PROVIDER_VETO, AreSupported(luns, &supported, VSS_VOLSNAP_ATTR_PLEX | 0x1));
  EXPECT_FALSE(supported);
  const auto reports = events_.Reports();
  ASSERT_THAT(reports, SizeIs(1));
  EXPECT_EQ(kEventPlexSnapshotsUnsupported, reports[0].event_id);
  EXPECT_EQ(kEventTypeWarning, reports[0].type);
  EXPECT_EQ("", reports[0].insertion);
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::AreLunsSupported(80042306). Provider does "
                         "not support Plex snapshots"));
  EXPECT_EQ(0u, RequestCount());
}

TEST_F(LunSupportTest, BadRecordsAreInvalidArguments) {
  LunSpec bare;
  bare.serial = SerialOf("db01");
  bare.with_identifier_list = false;
  LunRecordArray luns = MakeLunRecords({bare});
  BOOL supported = TRUE;
  EXPECT_EQ(E_INVALIDARG, AreSupported(luns, &supported));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::AreLunsSupported(80070057). Identifier "
                         "information is null."));

  LunRecordArray short_serial;
  AddLun(short_serial, "9E258D0B7A4F", "db01");
  EXPECT_EQ(E_INVALIDARG, AreSupported(short_serial, &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(0u, RequestCount());

  EXPECT_EQ(E_POINTER, Provider()->AreLunsSupported(1, 0, nullptr, luns.data(), nullptr));
  EXPECT_EQ(E_POINTER, Provider()->AreLunsSupported(2, 0, nullptr, nullptr, &supported));
}

TEST_F(LunSupportTest, AnArrayFailureDuringTheLookupIsAVetoWithItsEvent) {
  kova_sim::Fault fault;
  fault.method = "GET";
  fault.path_contains = "/volume";
  fault.status = 500;
  fault.times = -1;
  fault.body = R"({"msg": "array busy"})";
  sim_.InjectFault(fault);
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  BOOL supported = TRUE;
  EXPECT_EQ(VSS_E_PROVIDER_VETO, AreSupported(luns, &supported));
  EXPECT_FALSE(supported);
  const auto texts = events_.Insertions(kEventVolumeCheckFailed);
  ASSERT_THAT(texts, SizeIs(1));
  EXPECT_THAT(texts[0], HasSubstr("array busy"));
  EXPECT_EQ(1u, LogCount("AreLunsSupported: Failed to check for a volume. Exception: "));
}

TEST_F(LunSupportTest, FillInLunInfoDumpsAKovaLunAndLeavesTheRecordAsItWas) {
  LunSpec wanted;
  wanted.serial = SerialOf("db01");
  wanted.volume_name = "db01";
  wanted.with_interconnect = true;
  LunRecordArray luns = MakeLunRecords({wanted});
  const std::string before = FormatLunInformation("x", luns[0]);
  const char* vendor = luns[0].m_szVendorId;
  BOOL supported = FALSE;
  EXPECT_EQ(S_OK, Provider()->FillInLunInfo(nullptr, &luns[0], &supported));
  EXPECT_TRUE(supported);
  EXPECT_EQ(before, FormatLunInformation("x", luns[0]));
  EXPECT_EQ(vendor, luns[0].m_szVendorId);
  const std::string title = "------ VDS Lun Info for volume (name=db01, serial=" + SerialOf("db01") + ") ------";
  EXPECT_THAT(log_.Lines(), Contains(title));
  EXPECT_THAT(Messages(), Contains("ENTERING: CKovaVssProvider::FillInLunInfo(). Device Name="));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::FillInLunInfo(0)"));
}

TEST_F(LunSupportTest, FillInLunInfoAnswersForeignAndUnknownLuns) {
  LunSpec foreign;
  foreign.serial = "6000C29A1B2C3D4E5F60718293A4B5C6";
  foreign.vendor = "OTHERCO ";
  LunRecordArray luns = MakeLunRecords({foreign});
  AddLun(luns, UnknownSerial(), "ghost");
  BOOL supported = TRUE;
  EXPECT_EQ(S_OK, Provider()->FillInLunInfo(nullptr, &luns[0], &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(0u, LogCount("------ VDS Lun Info"));
  EXPECT_EQ(0u, RequestCount());

  // Not on any array: supported, but the answer is a veto.
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Provider()->FillInLunInfo(nullptr, &luns[1], &supported));
  EXPECT_TRUE(supported);
  EXPECT_THAT(events_.Insertions(kEventVolumeCheckFailed), ElementsAre(UnknownSerial()));

  EXPECT_EQ(E_POINTER, Provider()->FillInLunInfo(nullptr, nullptr, &supported));
  EXPECT_EQ(E_POINTER, Provider()->FillInLunInfo(nullptr, &luns[1], nullptr));
  EXPECT_EQ(2u, LogCount("EXITING: CKovaVssProvider::FillInLunInfo(80004003). Invalid argument: Null pointer"));
}

TEST_F(LunSupportTest, CallersWhoAreNoAdministratorsAreRefused) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("db01"), "db01");
  AddEmptyLuns(luns, 1);
  platform::ScopedCallerIdentity user(1000);
  BOOL supported = TRUE;
  EXPECT_EQ(VSS_E_PROVIDER_VETO, AreSupported(luns, &supported));
  EXPECT_FALSE(supported);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Provider()->FillInLunInfo(nullptr, &luns[0], &supported));
  EXPECT_EQ(VSS_E_PROVIDER_VETO,
            Provider()->GetTargetLuns(1, nullptr, &luns[0], &luns[1]));
  EXPECT_EQ(0u, RequestCount());
  EXPECT_THAT(events_.Insertions(kEventCallerNotAdministrator), ElementsAre("", "", ""));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::AreLunsSupported(80042306). Authorization failure"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::FillInLunInfo(80042306). Authorization failure"));
  EXPECT_EQ(1u, LogCount("EXITING : CKovaVssProvider::GetTargetLuns(80042306). Authorization failure"));
}

class TargetLunsTest : public LunSupportTest {
 protected:
  void SetUp() override {
    LunSupportTest::SetUp();
    AddLun(sources_, SerialOf("db01"), "db01");
    AddLun(sources_, SerialOf("db02"), "db02");
    CreateSet(Provider(), TestGuid(1), sources_);
    AddEmptyLuns(targets_, 2);
  }
  HRESULT GetTargets() {
    return Provider()->GetTargetLuns(sources_.count(), sources_.devices(), sources_.data(),
                                     targets_.data());
  }

  LunRecordArray sources_;
  LunRecordArray targets_;
};

TEST_F(TargetLunsTest, EachTargetDescribesTheSnapshotOfItsSource) {
  ASSERT_EQ(S_OK, GetTargets());
  const auto records = Provider()->PendingSnapshots();
  for (int i = 0; i < 2; ++i) {
    const VDS_LUN_INFORMATION& target = targets_[i];
    const std::string serial = records[i].snapshotSerial;
    EXPECT_STREQ(serial.c_str(), target.m_szSerialNumber);
    EXPECT_STREQ("KOVA    ", target.m_szVendorId);
    ASSERT_EQ(2u, target.m_deviceIdDescriptor.m_cIdentifiers);
    EXPECT_EQ("KOVA    Lumenstack:" + serial, IdentifierText(target, 0));
    EXPECT_EQ(19u + serial.size() + 1, target.m_deviceIdDescriptor.m_rgIdentifiers[0].m_cbIdentifier);
    EXPECT_EQ(records[i].snapshotName, IdentifierText(target, 1));
    EXPECT_EQ(records[i].snapshotName.size() + 1,
              target.m_deviceIdDescriptor.m_rgIdentifiers[1].m_cbIdentifier);
    EXPECT_EQ(0u, target.m_cInterconnects);
  }
  EXPECT_EQ(1u, LogCount("GetTargetLuns. Target Lun: Snapshot id=(" + records[1].snapshotSerial +
                         "), name=(" + records[1].snapshotName + ")"));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::GetTargetLuns(0)"));
}

TEST_F(TargetLunsTest, ATargetRecordResolvesToItsSnapshotDirectly) {
  ASSERT_EQ(S_OK, GetTargets());
  const std::string snapshot = Provider()->PendingSnapshots()[0].snapshotName;
  sim_.ClearRequests();
  BOOL supported = FALSE;
  ASSERT_EQ(S_OK, Provider()->FillInLunInfo(nullptr, &targets_[0], &supported));
  EXPECT_TRUE(supported);
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/" + snapshot));
}

TEST_F(TargetLunsTest, ASourceWithoutIdentifiersIsSkippedAndTheOthersFilled) {
  CoTaskMemFree(sources_[0].m_deviceIdDescriptor.m_rgIdentifiers[0].m_rgbIdentifier);
  CoTaskMemFree(sources_[0].m_deviceIdDescriptor.m_rgIdentifiers[1].m_rgbIdentifier);
  CoTaskMemFree(sources_[0].m_deviceIdDescriptor.m_rgIdentifiers);
  sources_[0].m_deviceIdDescriptor.m_rgIdentifiers = nullptr;
  sources_[0].m_deviceIdDescriptor.m_cIdentifiers = 0;
  ASSERT_EQ(S_OK, GetTargets());
  EXPECT_EQ(nullptr, targets_[0].m_szSerialNumber);
  EXPECT_STREQ(Provider()->PendingSnapshots()[1].snapshotSerial.c_str(), targets_[1].m_szSerialNumber);
  EXPECT_EQ(1u, LogCount("Source lun (" + SerialOf("db01") + ") VDS descriptor identifier is null"));
}

TEST_F(TargetLunsTest, ALunOutsideTheSetIsAVeto) {
  LunRecordArray others;
  AddLun(others, SerialOf("logs01"), "logs01");
  AddEmptyLuns(others, 1);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Provider()->GetTargetLuns(1, nullptr, &others[0], &others[1]));
  EXPECT_THAT(events_.Insertions(kEventVolumeCheckFailed),
              ElementsAre("Internal Error. Could not find the snapshot associated with volume '" +
                          SerialOf("logs01") + "'"));
  EXPECT_EQ(nullptr, others[1].m_szSerialNumber);

  LunRecordArray unknown;
  AddLun(unknown, UnknownSerial(), "ghost");
  AddEmptyLuns(unknown, 1);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Provider()->GetTargetLuns(1, nullptr, &unknown[0], &unknown[1]));
  EXPECT_EQ(1u, LogCount("EXITING: CKovaVssProvider::GetTargetLuns. No Lumenstack owns the volume '" +
                         UnknownSerial() + "'"));
  EXPECT_EQ(E_POINTER, Provider()->GetTargetLuns(1, nullptr, nullptr, &unknown[1]));
}

TEST_F(TargetLunsTest, ACreatedSetWhoseTargetsCannotBeDescribedIsDeleted) {
  ASSERT_THAT(SnapshotNames(), SizeIs(2));
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kStatus;
  fault.method = "GET";
  fault.path_contains = "/volume";  // db02's confirmation and the scan after it
  fault.skip = 1;
  fault.times = 2;
  fault.status = 500;
  fault.body = R"({"msg": "array busy"})";
  sim_.InjectFault(fault);
  EXPECT_EQ(VSS_E_PROVIDER_VETO, GetTargets());
  // VSS never learns of these snapshots, so nothing else would release them.
  EXPECT_THAT(SnapshotNames(), IsEmpty());
  EXPECT_EQ(VSS_SS_ABORTED, Provider()->CurrentState());
  EXPECT_TRUE(Provider()->PendingSnapshots().empty());
  EXPECT_EQ(1u, LogCount("CKovaVssProvider::GetTargetLuns() - target LUNs of SnapshotSetId=" +
                         platform::GuidToString(TestGuid(1)) + " not described, deleting its snapshots"));
  EXPECT_EQ(S_OK, Provider()->AbortSnapshots(TestGuid(1)));
}

TEST_F(TargetLunsTest, ALookUpThatGetsNoAnswerIsSentOnceMore) {
  kova_sim::Fault fault;
  fault.kind = kova_sim::Fault::Kind::kExecuteThenDrop;
  fault.method = "GET";
  fault.path_contains = "/volume/db01";
  sim_.InjectFault(fault);
  sim_.ClearRequests();
  EXPECT_EQ(S_OK, GetTargets());
  EXPECT_THAT(RequestLines(), ElementsAre("GET /api/1.1/volume/db01", "GET /api/1.1/volume/db01",
                                          "GET /api/1.1/volume/db02"));
  EXPECT_THAT(SnapshotNames(), SizeIs(2));
  EXPECT_EQ(VSS_SS_CREATED, Provider()->CurrentState());
}

TEST_F(TargetLunsTest, ALunWhoseSnapshotWasNeverMadeHasNoTarget) {
  LunRecordArray luns;
  AddLun(luns, SerialOf("logs01"), "logs01");
  AddEmptyLuns(luns, 1);
  ASSERT_EQ(S_OK, Provider()->BeginPrepareSnapshot(TestGuid(2), TestGuid(3), 0, 1, luns.devices(),
                                                   luns.data()));
  EXPECT_EQ(VSS_E_PROVIDER_VETO, Provider()->GetTargetLuns(1, nullptr, &luns[0], &luns[1]));
  EXPECT_EQ(nullptr, luns[1].m_szSerialNumber);
  EXPECT_EQ(S_OK, Provider()->AbortSnapshots(TestGuid(2)));
}

}  // namespace
