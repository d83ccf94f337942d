// One provider object, hosted in this process and held through the three
// interfaces that VSS calls, each with one reference.
#pragma once

#include <functional>
#include <string>

#include "platform/vss_compat.h"

// Makes a provider object and returns its interface |iid| with one
// reference, as the coclass's class factory does
// (CreateKovaVssProviderInstance).
using ProviderFactory = std::function<HRESULT(REFIID iid, void** object)>;

class ProviderSession {
 public:
  ProviderSession() = default;
  ~ProviderSession();  // releases every interface held
  ProviderSession(const ProviderSession&) = delete;
  ProviderSession& operator=(const ProviderSession&) = delete;

  // Creates the object and queries IVssProviderCreateSnapshotSet and
  // IVssProviderNotifications from it. On failure returns the HRESULT with
  // the failing step in |step| ("CreateKovaVssProviderInstance" or
  // "QueryInterface(IVssProviderNotifications)", ...) and holds nothing.
  HRESULT Open(const ProviderFactory& factory, std::string* step);
  bool IsOpen() const { return hardware_ != nullptr; }

  // Valid while open.
  IVssHardwareSnapshotProviderEx& Hardware() { return *hardware_; }
  IVssProviderCreateSnapshotSet& SnapshotSet() { return *snapshot_set_; }
  IVssProviderNotifications& Notifications() { return *notifications_; }

  // Releases every interface; the object goes away with its last reference.
  void Close();

 private:
  IVssHardwareSnapshotProviderEx* hardware_ = nullptr;
  IVssProviderCreateSnapshotSet* snapshot_set_ = nullptr;
  IVssProviderNotifications* notifications_ = nullptr;
};
