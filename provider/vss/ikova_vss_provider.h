// IKovaVssProvider: the provider coclass's own interface. It adds no methods
// to IUnknown; it names the object for its class factory and clients.
#pragma once

#include "platform/vss_compat.h"

// {B71907E9-222C-4C9A-83E5-4FB75CC76537}
inline constexpr IID IID_IKovaVssProvider = {
    0xB71907E9, 0x222C, 0x4C9A, {0x83, 0xE5, 0x4F, 0xB7, 0x5C, 0xC7, 0x65, 0x37}};

struct IKovaVssProvider : IUnknown {
 protected:
  ~IKovaVssProvider() = default;
};
