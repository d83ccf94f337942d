// The provider object against an emulated array over HTTPS: the array is
// configured in an in-memory registry (URL, protected API token, REST
// version) the way the configuration tool stores it, the log is captured,
// events are recorded and the calling client is an administrator unless a
// test says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/caller_identity.h"
#include "platform/event_log.h"
#include "platform/memory_registry.h"
#include "platform/registry.h"
#include "provider/vss/kova_vss_provider.h"
#include "tests/provider/lun_records.h"
#include "tests/support/recording_event_log.h"
#include "tests/support/scoped_test_log.h"
#include "tests/support/test_array_sim.h"

// Holds one reference to a provider object made by the class factory.
class ProviderRef {
 public:
  ProviderRef();
  ~ProviderRef();
  ProviderRef(const ProviderRef&) = delete;
  ProviderRef& operator=(const ProviderRef&) = delete;

  CKovaVssProvider* operator->() const { return object_; }
  CKovaVssProvider* get() const { return object_; }

 private:
  CKovaVssProvider* object_ = nullptr;
};

// A GUID whose every byte derives from |n|.
GUID TestGuid(uint8_t n);

class ProviderTest : public testing::Test {
 protected:
  explicit ProviderTest(kova_sim::SimSeed seed = kova_sim::SimSeed::Default());

  void SetUp() override;
  void TearDown() override;

  // Writes an array's key: "URL" and the protected "APIKey".
  void ConfigureArray(const std::string& name, const std::string& url,
                      const std::string& token) const;
  void SetRootString(const std::string& name, const std::string& value) const;
  void SetRootDword(const std::string& name, uint32_t value) const;

  std::string Token() const { return seed_.users.at(0).api_token; }
  // The serial the array gave the volume or snapshot |name|; "" if none.
  std::string SerialOf(const std::string& name) const;
  std::vector<std::string> SnapshotNames() const;
  std::vector<std::string> VolumeNames() const;
  // "METHOD target" of every request the array received, in order.
  std::vector<std::string> RequestLines() const;
  // The message part (after the tag) of every line logged under |tag|.
  // Like LogCount, it first writes out lines a snapshot set holds back.
  std::vector<std::string> Messages(const std::string& tag = "Kova.VssProvider") const;
  // How many logged lines contain |text|.
  size_t LogCount(const std::string& text) const;

  // Runs BeginPrepare .. PreCommit for |luns| and expects each to succeed.
  void PrepareSet(CKovaVssProvider* provider, const GUID& set_id, LunRecordArray& luns) const;
  // PrepareSet, CommitSnapshots and PostCommitSnapshots.
  void CreateSet(CKovaVssProvider* provider, const GUID& set_id, LunRecordArray& luns) const;

  std::shared_ptr<platform::Registry> registry_ = platform::CreateMemoryRegistry();
  ScopedTestLog log_;
  RecordingEventLog events_;
  kova_sim::SimSeed seed_;
  TestArraySim sim_;
  platform::ScopedCallerIdentity administrator_{0};
};
