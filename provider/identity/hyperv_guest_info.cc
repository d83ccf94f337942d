#include "provider/identity/hyperv_guest_info.h"

#include <memory>
#include <string>

#include "platform/hyperv_guest_parameters.h"
#include "library/text/text_conversion.h"

bool HyperVGuestInfo::Load() {
  const std::unique_ptr<platform::HyperVGuestParameters> parameters =
      platform::OpenHyperVGuestParameters();
  if (!parameters) return false;
  std::string host, id, name;
  if (!parameters->Read("PhysicalHostNameFullyQualified", &host) ||
      !parameters->Read("VirtualMachineId", &id) ||
      !parameters->Read("VirtualMachineName", &name)) {
    return false;
  }
  kova::TextOfUtf8(host, &hostName);
  kova::TextOfUtf8(id, &vmId);
  kova::TextOfUtf8(name, &vmName);
  return true;
}
