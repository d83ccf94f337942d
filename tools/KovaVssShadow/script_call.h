// One line of a `KovaVssShadow script`: a single provider call with its
// arguments, as the grammar in README.md describes it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/vss_compat.h"

enum class ScriptMethod {
  kOnLoad,
  kOnUnload,
  kGetProviderCapabilities,
  kAreLunsSupported,
  kFillInLunInfo,
  kBeginPrepareSnapshot,
  kEndPrepareSnapshots,
  kPreCommitSnapshots,
  kCommitSnapshots,
  kPostCommitSnapshots,
  kPreFinalCommitSnapshots,
  kPostFinalCommitSnapshots,
  kAbortSnapshots,
  kGetTargetLuns,
  kLocateLuns,
  kOnLunEmpty,
  kOnLunStateChange,
  kResyncLuns,
  kOnReuseLuns,
};

struct ScriptCall {
  int line = 0;
  ScriptMethod method = ScriptMethod::kOnLoad;
  std::string name;                 // the method's name as the interfaces spell it
  GUID set_id = GUID_NULL;          // methods that take a snapshot set GUID
  std::optional<GUID> snapshot_id;  // BeginPrepareSnapshot: a new one when absent
  LONG context = 0;                 // AreLunsSupported, BeginPrepareSnapshot
  LONG snapshot_count = 0;          // PostCommitSnapshots
  DWORD flags = VSS_ONLUNSTATECHANGE_DO_MASK_LUNS;  // OnLunStateChange
  bool force = false;               // OnUnload
  std::string save_path;            // GetTargetLuns: where the targets go
  // LUN arguments ("@FILE" or a block device), read when the call runs so
  // that a file written by an earlier line can be used.
  std::vector<std::string> luns;
};

// How many LUN arguments a method takes.
enum class LunArity {
  kNone,
  kList,   // any number, each argument any number of records
  kOne,    // one argument of exactly one record
  kPairs,  // SOURCE TARGET ..., each argument exactly one record
};
LunArity LunArityOf(ScriptMethod method);
