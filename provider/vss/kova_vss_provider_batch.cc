// CommitSnapshots with "BatchSnapshots" set: one snapshot request per array
// instead of one per LUN, the arrays asked at the same time, so a set's
// commit costs about one array's answer time whatever its LUN count.
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "library/log/logger.h"
#include "provider/vss/array_snapshot_request.h"
#include "provider/vss/kova_vss_provider.h"
#include "provider/vss/provider_failures.h"

HRESULT CKovaVssProvider::CreateSnapshotsPerArray(const GUID& snapshot_set_id) {
  std::vector<ArraySnapshotRequest> requests;
  const HRESULT grouped = GroupRecordsByArray(requests);
  if (FAILED(grouped)) return grouped;
  // The caller holds the provider's lock throughout: the array objects are
  // the set's, and each request uses only its own.
  ArraySnapshotRequest::SendAll(requests, snapshot_set_id);
  for (const ArraySnapshotRequest& request : requests) {
    Logger::WriteCapturedLines(request.CapturedLog());
  }
  // A failed commit ends the set, whose cleanup (DeletePendingSnapshots)
  // deletes what the requests made: by serial where an answer confirmed
  // it, by the name asked for where none did.
  KeepAnswers(requests);
  const HRESULT result = ReportFailedRequests(requests);
  if (FAILED(result)) return result;
  for (const PendingSnapshot& record : pendingSnapshots) ReportSnapshotCreated(record);
  return S_OK;
}

HRESULT CKovaVssProvider::GroupRecordsByArray(std::vector<ArraySnapshotRequest>& requests) {
  for (size_t i = 0; i < pendingSnapshots.size(); ++i) {
    const PendingSnapshot& record = pendingSnapshots[i];
    if (record.array == nullptr) return RefuseRecordWithoutArray(record);
    auto request = std::find_if(requests.begin(), requests.end(), [&](const ArraySnapshotRequest& r) {
      return r.Array() == record.array;
    });
    if (request == requests.end()) request = requests.emplace(requests.end(), record.array);
    request->Add(i, record.volumeName);
  }
  return S_OK;
}

void CKovaVssProvider::KeepAnswers(const std::vector<ArraySnapshotRequest>& requests) {
  for (const ArraySnapshotRequest& request : requests) {
    for (size_t j = 0; j < request.Records().size(); ++j) {
      PendingSnapshot& record = pendingSnapshots[request.Records()[j]];
      record.requestedName = request.SnapshotName(j);
      record.snapshotSerial = request.SnapshotSerial(j);
      if (!record.snapshotSerial.empty()) record.snapshotName = record.requestedName;
    }
  }
}

HRESULT CKovaVssProvider::ReportFailedRequests(const std::vector<ArraySnapshotRequest>& requests) {
  HRESULT first = S_OK;
  for (const ArraySnapshotRequest& request : requests) {
    if (request.Created()) continue;
    HRESULT result = VSS_E_PROVIDER_VETO;
    if (!request.Failure()) {
      result = RefuseIncompleteAnswer();
    } else {
      try {
        std::rethrow_exception(request.Failure());
      } catch (const std::exception&) {
        result = MapSnapshotCreationFailure();
      } catch (...) {
        result = UnexpectedFailure();
      }
    }
    if (SUCCEEDED(first)) first = result;
  }
  return first;
}
