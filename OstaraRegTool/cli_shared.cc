#include "OstaraRegTool/cli_shared.h"

#include <ostream>

#include "OstaraRegTool/array_operations.h"
#include "OstaraRegTool/array_table.h"
#include "OstaraRegTool/cli_commands.h"
#include "OstaraRegTool/registry_values.h"
#include "OstaraRegTool/result_codes.h"
#include "OstaraRegTool/tool_facilities.h"

bool CheckNewArrayName(const utility::string_t& name) {
  if (Utf16Length(name) > kMaxArrayNameLength) {
    ToolOut() << "Invalid format: Array name too long, please limit the length to "
              << kMaxArrayNameLength << " characters!" << std::endl;
    return false;
  }
  if (!IsUsableArrayName(name)) {
    ToolOut() << "Invalid format: Array name cannot contain a backslash!" << std::endl;
    return false;
  }
  return true;
}

bool ShowConfiguredArray(const utility::string_t& name) {
  ArrayConfigList list;
  const uint32_t code = GetArrayConfigInfo(list, name);
  if (code != RC_SUCCESS) {
    ToolOut() << ConsoleText(GetErrorMsg(code)) << std::endl;
    return false;
  }
  if (list.empty()) {
    ToolOut() << "Error on " << ConsoleText(name) << ": Array does not exist." << std::endl;
    return false;
  }
  ShowKovaArrays(list);
  return true;
}
