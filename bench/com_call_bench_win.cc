// Measures one provider call made through COM across processes, as VSS
// makes it (the provider program's service, reached through the
// proxy/stub), against the same call on a provider object in this process.
// Two calls: GetProviderCapabilities (no argument, one log line) and
// OnLunEmpty with one LUN record of another vendor (the lock, two log
// lines, no array). Both sides keep the provider's log at the configured
// level. The two objects take turns over kRounds rounds; each figure is
// the median round's. Windows only; bench/com_call_bench.sh prepares a
// Wine prefix and runs it.
//
// Usage: com_call_bench [CALLS]   (calls per round, default 2000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "platform/com_runtime.h"
#include "provider/lun/lun_record.h"
#include "provider/lun/lun_record_array.h"
#include "provider/vss/kova_vss_provider_factory.h"
#include "tools/KovaVssShadow/provider_log.h"
#include "tools/KovaVssShadow/provider_reach.h"

namespace {

constexpr int kRounds = 7;

// A record that no Kova array claims: OnLunEmpty answers at once.
LunRecordArray ForeignLun() {
  VDS_LUN_INFORMATION lun{};
  lun.m_version = 1;
  lun.m_szVendorId = TaskMemoryString("OTHER   ");
  lun.m_szProductId = TaskMemoryString("Disk");
  lun.m_szProductRevision = TaskMemoryString("1.0");
  lun.m_szSerialNumber = TaskMemoryString("0123456789ABCDEF00000001");
  lun.m_deviceIdDescriptor.m_version = 1;
  lun.m_deviceIdDescriptor.m_cIdentifiers = 1;
  lun.m_deviceIdDescriptor.m_rgIdentifiers = TaskMemoryArray<VDS_STORAGE_IDENTIFIER>(1);
  VDS_STORAGE_IDENTIFIER& id = lun.m_deviceIdDescriptor.m_rgIdentifiers[0];
  id.m_CodeSet = VDSStorageIdCodeSetAscii;
  id.m_Type = VDSStorageIdTypeVendorSpecific;
  id.m_cbIdentifier = 5;
  id.m_rgbIdentifier = TaskMemoryBytes(reinterpret_cast<const BYTE*>("db01"), 5);
  LunRecordArray luns;
  luns.Append(&lun, LunDeviceName(L"\\\\?\\PhysicalDrive1"));
  return luns;
}

// Microseconds per call of |call|, made |calls| times; -1 when one fails.
double MicrosecondsPerCall(int calls, const std::function<HRESULT()>& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) {
    if (FAILED(call())) return -1;
  }
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / calls;
}

struct CallCosts {
  double capabilities = -1;
  double lun_empty = -1;
};

CallCosts Measure(IVssHardwareSnapshotProviderEx& provider, int calls) {
  LunRecordArray luns = ForeignLun();
  CallCosts costs;
  ULONGLONG mask = 0;
  // E_NOTIMPL is its answer: only a transport failure counts.
  costs.capabilities = MicrosecondsPerCall(calls, [&] {
    const HRESULT result = provider.GetProviderCapabilities(&mask);
    return result == E_NOTIMPL ? S_OK : result;
  });
  costs.lun_empty = MicrosecondsPerCall(calls, [&] { return provider.OnLunEmpty(luns.devices()[0], luns.data()); });
  return costs;
}

IVssHardwareSnapshotProviderEx* MakeProvider(const ProviderFactory& factory) {
  void* object = nullptr;
  const HRESULT made = factory(IID_IVssHardwareSnapshotProviderEx, &object);
  if (FAILED(made) || object == nullptr) {
    std::fprintf(stderr, "com_call_bench: the provider cannot be made: 0x%08lX\n", static_cast<unsigned long>(made));
    return nullptr;
  }
  return static_cast<IVssHardwareSnapshotProviderEx*>(object);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median round of each call on each object; false when a call failed.
bool MeasureRounds(IVssHardwareSnapshotProviderEx& local, IVssHardwareSnapshotProviderEx& remote, int calls,
                   CallCosts* in_process, CallCosts* through_com) {
  Measure(local, calls / 10 + 1);  // warm: the log file, the service, the proxies
  Measure(remote, calls / 10 + 1);
  std::vector<double> local_capabilities, local_lun_empty, remote_capabilities, remote_lun_empty;
  for (int round = 0; round < kRounds; ++round) {
    const CallCosts here = Measure(local, calls);
    const CallCosts there = Measure(remote, calls);
    if (here.capabilities < 0 || here.lun_empty < 0 || there.capabilities < 0 || there.lun_empty < 0) return false;
    local_capabilities.push_back(here.capabilities);
    local_lun_empty.push_back(here.lun_empty);
    remote_capabilities.push_back(there.capabilities);
    remote_lun_empty.push_back(there.lun_empty);
  }
  *in_process = {Median(local_capabilities), Median(local_lun_empty)};
  *through_com = {Median(remote_capabilities), Median(remote_lun_empty)};
  return true;
}

void PrintRow(const char* call, double in_process, double through_com) {
  std::printf("%-26s %12.2f %14.2f %9.0fx\n", call, in_process, through_com, through_com / in_process);
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (calls <= 0) {
    std::fprintf(stderr, "usage: com_call_bench [CALLS]\n");
    return 2;
  }
  platform::ComRuntime& com = platform::SystemComRuntime();
  if (FAILED(com.InitializeApartment(true))) return 1;
  OpenProviderLog();
  CallCosts in_process;
  CallCosts through_com;
  IVssHardwareSnapshotProviderEx* local = MakeProvider(CreateKovaVssProviderInstance);
  IVssHardwareSnapshotProviderEx* remote = MakeProvider(LocalServerProviderFactory());
  const bool measured = local != nullptr && remote != nullptr &&
                        MeasureRounds(*local, *remote, calls, &in_process, &through_com);
  if (remote != nullptr) remote->Release();
  if (local != nullptr) local->Release();
  Logger::Close();
  com.UninitializeApartment();
  if (!measured) return 1;
  std::printf("%d rounds of %d calls each, microseconds per call, median round\n", kRounds, calls);
  std::printf("%-26s %12s %14s %10s\n", "call", "in process", "through COM", "ratio");
  PrintRow("GetProviderCapabilities", in_process.capabilities, through_com.capabilities);
  PrintRow("OnLunEmpty (one record)", in_process.lun_empty, through_com.lun_empty);
  return 0;
}
