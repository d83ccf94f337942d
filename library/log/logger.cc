#include "library/log/logger.h"

#include <atomic>
#include <memory>
#include <new>

#include "library/log/event_messages.h"
#include "library/log/log_line.h"
#include "library/log/log_rotation.h"
#include "library/log/log_tags.h"
#include "library/version.h"
#include "platform/app_data_folder.h"
#include "platform/event_log.h"
#include "platform/local_time.h"
#include "platform/log_files.h"
#include "platform/os_version.h"
#include "platform/thread_id.h"
#include "platform/utf16.h"

namespace {

constexpr char kLogFolderName[] = "KovaStorage";

struct LoggerState {
  bool enabled = false;
  int level = LOG_DEBUG;
  std::unique_ptr<platform::AppendFile> file;
  std::string path;
  bool deferring = false;
  std::string deferred;
};

// Never destroyed, like the lock: threads may still log while the process
// exits.
LoggerState& State() {
  static LoggerState* const state = new LoggerState;
  return *state;
}

std::atomic<platform::EventLog*> g_event_log{nullptr};

thread_local std::string* t_captured_lines = nullptr;

bool FitsPathLimit(const std::string& path) {
  return platform::Utf8ToUtf16(path).size() <= kMaxLogPathLength;
}

// "<common application data>/KovaStorage/<file_name>", creating the folder;
// "" when the path is too long for the log.
std::string BuildLogPath(const std::string& file_name) {
  const std::string folder = platform::CommonAppDataFolder() + platform::kPathSeparator +
                             kLogFolderName + platform::kPathSeparator;
  if (!FitsPathLimit(folder)) return std::string();
  platform::CreateFolder(folder.substr(0, folder.size() - 1));  // existing is fine
  const std::string path = folder + file_name;
  return FitsPathLimit(path) ? path : std::string();
}

void DiscardDeferred(LoggerState& state) { std::string().swap(state.deferred); }

}  // namespace

std::recursive_mutex& Logger::Lock() {
  static std::recursive_mutex* const lock = new std::recursive_mutex;
  return *lock;
}

bool Logger::Accepts(int level) {
  const LoggerState& state = State();
  return state.enabled && level <= state.level && (state.file || state.deferring);
}

void Logger::Open(bool enabled, int level, const std::string& file_name) {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  LoggerState& state = State();
  state.enabled = enabled;
  state.level = level;
  if (!enabled || state.file) return;
  const std::string path = BuildLogPath(file_name);
  if (path.empty()) return;
  RotateLogIfLarge(path);
  state.file = platform::AppendFile::Open(path);
  if (!state.file) return;
  state.path = path;
  WriteBanners(level, path);
}

void Logger::WriteBanners(int level, const std::string& path) {
  Write(LOG_INFO, kLoggerTag,
        ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>> ==== ( LOG SESSION STARTED ) ==== "
        "<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<");
  Write(LOG_INFO, kLoggerTag, "LogLevel: %d, LogFileName: %ls.", level, path);
  const platform::OsVersion os = platform::GetOsVersion();
  Write(LOG_INFO, kLoggerTag, "Version: %hs. BUILD: %hs. OS: %ld.%ld", kova::kProductVersion,
        kova::kBuildString, os.major, os.minor);
}

void Logger::WriteMessage(int level, const char* tag, const std::string& message) {
  LoggerState& state = State();
  try {
    const std::string line = FormatLogLine(platform::CurrentLocalTime(),
                                           platform::CurrentThreadId(), level, tag, message);
    if (t_captured_lines != nullptr) {
      *t_captured_lines += line;
    } else if (state.deferring) {
      state.deferred += line;
    } else if (state.file) {
      state.file->Write(line.data(), line.size());
    }
  } catch (const std::bad_alloc&) {
    // The line is lost; the log never fails its caller.
  }
}

std::string* Logger::CaptureThreadLines(std::string* sink) {
  std::string* const previous = t_captured_lines;
  t_captured_lines = sink;
  return previous;
}

void Logger::WriteCapturedLines(const std::string& lines) {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  LoggerState& state = State();
  try {
    if (state.deferring) {
      state.deferred += lines;
    } else if (state.file && !lines.empty()) {
      state.file->Write(lines.data(), lines.size());
    }
  } catch (const std::bad_alloc&) {
    // The lines are lost; the log never fails its caller.
  }
}

void Logger::Close() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  LoggerState& state = State();
  if (state.file) {
    // Lines still deferred are kept: they belong before the end banner.
    if (state.deferring && !state.deferred.empty()) {
      state.file->Write(state.deferred.data(), state.deferred.size());
    }
    state.deferring = false;
    Write(LOG_INFO, kLoggerTag,
          "<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<<< ==== ( LOG SESSION ENDED ) ==== "
          ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>");
    state.file->Close();
    state.file.reset();
  }
  state.enabled = false;
  state.deferring = false;
  DiscardDeferred(state);
  state.path.clear();
}

void Logger::HoldLogOutput() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  State().deferring = true;
}

void Logger::ReleaseLogOutput() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  LoggerState& state = State();
  if (!state.deferring) return;
  if (state.file) {
    if (!state.deferred.empty()) state.file->Write(state.deferred.data(), state.deferred.size());
    state.deferring = false;
  }
  DiscardDeferred(state);
}

std::string Logger::FilePath() {
  std::lock_guard<std::recursive_mutex> hold(Lock());
  return State().path;
}

void ReportLogEvent(int category, int type, uint32_t event_id, const std::string& message) {
  platform::EventLog* chosen = g_event_log.load();
  platform::EventLog& event_log = chosen ? *chosen : platform::SystemEventLog();
  // Registered before the lock is taken: the event log may be slow.
  const platform::EventLog::Source source = event_log.Register(kEventSourceName);
  std::lock_guard<std::recursive_mutex> hold(Logger::Lock());
  if (!source) {
    Logger::Write(LOG_DEBUG, kEventReportTag, "LogEvent: RegisterEventSource FAILED!");
    return;
  }
  platform::EventReport report;
  report.type = type;
  report.category = category;
  report.event_id = event_id;
  report.insertion = message;
  report.text = FlattenEventMessage(RenderEventMessage(event_id, message));
  event_log.Report(source, report);
  event_log.Deregister(source);
  Logger::Write(LOG_DEBUG, kEventReportTag, "LogEvent: Code=%d, msgCat=%d, msgCode=%d, Msg=%ls", type,
                category, event_id, message);
}

void SetEventLog(platform::EventLog* event_log) { g_event_log.store(event_log); }
