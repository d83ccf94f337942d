// The sequence of provider calls with which VSS makes a hardware shadow
// copy set, from AreLunsSupported to GetTargetLuns.
#pragma once

#include <functional>
#include <string>

#include "platform/vss_compat.h"
#include "provider/lun/lun_record_array.h"
#include "tools/KovaVssShadow/provider_session.h"

// The first provider call that failed: its name, its HRESULT, and why when
// the HRESULT alone does not say (AreLunsSupported answering "not
// supported" with S_OK).
struct ProviderFailure {
  std::string method;
  HRESULT result = S_OK;
  std::string reason;
};

// Told of every provider call made, after it returned, with its duration.
using CallObserver = std::function<void(const std::string& method, HRESULT result, double seconds)>;

// AreLunsSupported for all LUNs; one BeginPrepareSnapshot per LUN with
// |set_id| and a new snapshot GUID each; EndPrepareSnapshots,
// PreCommitSnapshots, CommitSnapshots, PostCommitSnapshots,
// PreFinalCommitSnapshots, PostFinalCommitSnapshots; GetTargetLuns into
// |targets| (one record per LUN). The first failure ends the sequence;
// AbortSnapshots follows when the set had begun, as VSS aborts it. True on
// success; false with |failure| filled, and |targets| empty.
bool CreateShadowCopySet(ProviderSession& provider, LunRecordArray& luns, const GUID& set_id,
                         LunRecordArray* targets, ProviderFailure* failure,
                         const CallObserver& observer = nullptr);

// "<Method> failed: 0x%08X", and the reason after it when there is one.
std::string DescribeFailure(const ProviderFailure& failure);
