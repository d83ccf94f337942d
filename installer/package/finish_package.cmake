# Completes the package that wixl built (cmake -P, with MSIBUILD, MSIINFO
# and PACKAGE set) with what wixl cannot write: the Registry rows that
# delete whole keys on removal (name "-", no value) and the rollback action
# that takes back a failed registration. Fails the build unless the
# provider's registration run is the step right before InstallFinalize, its
# rollback the step before that, and its removal run the step right after
# InstallInitialize.
foreach(variable MSIBUILD MSIINFO PACKAGE)
  if(NOT ${variable})
    message(FATAL_ERROR "finish_package.cmake: ${variable} is not set")
  endif()
endforeach()

function(run_query what query)
  execute_process(COMMAND ${MSIBUILD} ${PACKAGE} -q "${query}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild could not ${what}: ${status}")
  endif()
endfunction()
function(add_removed_key row key component)
  run_query("add the Registry row ${row}"
    "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('${row}', 2, '${key}', '-', '${component}')")
endfunction()

# The configuration store with every array key and protected token, and the
# event source that the provider registers but never removes.
add_removed_key(RemoveConfiguration "SOFTWARE\\KovaStorage\\VSS" InitialSettings)
add_removed_key(RemoveEventSource
  "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider" ProviderProgram)

# The rollback of a failed registration: the program kept as the binary
# ProviderForRollback (2), its exit code ignored (64), in the rollback script
# (1024 + 256), not impersonated (2048); on first installation, right before
# the registration run (6599).
run_query("add the action RollBackProviderRegistration"
  "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RollBackProviderRegistration', 3394, 'ProviderForRollback', ' /UnregServer')")
run_query("schedule RollBackProviderRegistration"
  "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RollBackProviderRegistration', 'NOT Installed', 6598)")

# The execute sequence as a list of "NNNNN Action" sorted by number.
execute_process(COMMAND ${MSIINFO} export ${PACKAGE} InstallExecuteSequence
  OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "msiinfo could not export InstallExecuteSequence: ${status}")
endif()
string(REPLACE "\n" ";" rows "${table}")
set(steps "")
foreach(row IN LISTS rows)
  if(row MATCHES "^([A-Za-z_]+)\t[^\t]*\t([0-9]+)$")
    math(EXPR number "100000 + ${CMAKE_MATCH_2}")
    list(APPEND steps "${number} ${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT steps)
set(actions "")
foreach(step IN LISTS steps)
  string(REGEX REPLACE "^[0-9]+ " "" action "${step}")
  list(APPEND actions ${action})
endforeach()

function(expect_next first second)
  list(FIND actions ${first} at)
  math(EXPR next "${at} + 1")
  list(LENGTH actions count)
  if(at LESS 0 OR next GREATER_EQUAL count)
    message(FATAL_ERROR "InstallExecuteSequence has no step after ${first}")
  endif()
  list(GET actions ${next} found)
  if(NOT found STREQUAL second)
    message(FATAL_ERROR "InstallExecuteSequence: ${found} follows ${first}, not ${second}")
  endif()
endfunction()
expect_next(RollBackProviderRegistration RegisterProvider)
expect_next(RegisterProvider InstallFinalize)
expect_next(InstallInitialize UnregisterProvider)
