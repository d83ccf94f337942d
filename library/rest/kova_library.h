// KovaLibrary: the provider's set of configured arrays. It owns every
// KovaArray it created; callers get plain pointers that stay valid until
// Reset or the set's destruction. No locks: the owner serialises use.
#pragma once

#include <cpprest/details/basic_types.h>

#include <memory>
#include <vector>

class KovaArray;

class KovaLibrary {
 public:
  KovaLibrary();
  ~KovaLibrary();
  KovaLibrary(const KovaLibrary&) = delete;
  KovaLibrary& operator=(const KovaLibrary&) = delete;

  // Destroys every array object (each closes its session), in list order.
  void Reset() noexcept;
  // Creates and initialises an array and appends it; null when that fails
  // (the failure is logged and nothing of the array stays in the set).
  KovaArray* CreateKovaArrayObject(const utility::string_t& name, const utility::string_t& url,
                                   const utility::string_t& api_token,
                                   const utility::string_t& supported_version);
  void GetArrayList(std::vector<KovaArray*>& arrays) const;

 private:
  std::unique_ptr<std::vector<KovaArray*>> arrays_;
};
