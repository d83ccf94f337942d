// Whether the current process runs with administrative rights, the test
// that protected registry keys apply to their callers.
// POSIX: the effective user id is 0.
// Windows: the process token is a member of the built-in Administrators
// group (S-1-5-32-544), and elevated.
#pragma once

namespace platform {

bool IsProcessAdministrator();

}  // namespace platform
