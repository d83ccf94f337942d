#include "library/rest/kova_library.h"

#include "library/log/log_tags.h"
#include "library/log/logger.h"
#include "library/rest/kova_array.h"

namespace {
constexpr const char* kTag = kRestLibraryTag;
}  // namespace

KovaLibrary::KovaLibrary() : arrays_(std::make_unique<std::vector<KovaArray*>>()) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaLibrary::KovaLibrary()");
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaLibrary::KovaLibrary()");
}

KovaLibrary::~KovaLibrary() {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaLibrary::~KovaLibrary()");
  Reset();
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaLibrary::~KovaLibrary()");
}

void KovaLibrary::Reset() noexcept {
  try {
    Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaLibrary::Reset()");
    // Each object leaves the list before it is destroyed, so an exception
    // part-way neither frees an object twice nor leaves a dangling pointer.
    while (!arrays_->empty()) {
      std::unique_ptr<KovaArray> array(arrays_->front());
      arrays_->erase(arrays_->begin());
    }
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag, "KovaLibrary::Reset() failed with %hs", e.what());
  }
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaLibrary::Reset()");
}

KovaArray* KovaLibrary::CreateKovaArrayObject(const utility::string_t& name,
                                              const utility::string_t& url,
                                              const utility::string_t& api_token,
                                              const utility::string_t& supported_version) {
  Logger::Write(LOG_DEBUG, kTag, "ENTERING : KovaLibrary::CreateKovaArrayObject()");
  std::unique_ptr<KovaArray> array;
  try {
    array = std::make_unique<KovaArray>();
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING : KovaLibrary::CreateKovaArrayObject(). Error when creating Array "
                  "Object for %ls. Exception: %hs",
                  name, e.what());
    return nullptr;
  }
  try {
    array->Initialize(name, url, api_token, supported_version);
  } catch (const std::exception& e) {
    Logger::Write(LOG_ERROR, kTag,
                  "EXITING : KovaLibrary::CreateKovaArrayObject(). Error Initializing Array "
                  "Object for %ls. Exception: %hs",
                  name, e.what());
    return nullptr;
  }
  arrays_->push_back(array.get());
  Logger::Write(LOG_DEBUG, kTag, "EXITING : KovaLibrary::CreateKovaArrayObject()");
  return array.release();
}

void KovaLibrary::GetArrayList(std::vector<KovaArray*>& arrays) const {
  arrays.clear();
  arrays.insert(arrays.end(), arrays_->begin(), arrays_->end());
}
