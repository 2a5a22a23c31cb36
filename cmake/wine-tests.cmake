# Windows-side tests, run under Wine by tools/wine-run.sh. Tests of one program share a lock:
# the Windows version is set per program file name, and velmora.exe runs one copy at a time.
# All of them share the desktop too: windows of one test would cover another's, take its
# activation, or sit under its pointer.
set(VELMORA_WINVERS win98 nt40 win2k winxp win7 win10)

function(wine_test name exe)
  cmake_parse_arguments(A "WIN64" "WINVER;TIMEOUT" "ARGS" ${ARGN})
  set(cmd ${WINE_RUN})
  if(A_WIN64)
    set(cmd env VELMORA_WINEARCH=win64 ${WINE_RUN})
  endif()
  if(A_WINVER)
    list(APPEND cmd --winver ${A_WINVER})
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${cmd} ${VELMORA_WIN_BUILD}/${exe} ${A_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} RESOURCE_LOCK "${exe};desktop")
endfunction()

# Windows-side unit tests: once in the default mode, and the version-sensitive ones per mode.
wine_test(win win_tests.exe ARGS --gtest_brief=1)
foreach(v ${VELMORA_WINVERS})
  wine_test(win.${v} win_tests.exe WINVER ${v} ARGS --gtest_brief=1 --gtest_filter=*PerVersion*)
endforeach()

# End-to-end: the program itself, under each version mode, then the behaviour tests.
foreach(v ${VELMORA_WINVERS})
  wine_test(e2e.startup.${v} e2e_tests.exe ARGS --gtest_brief=1 --gtest_filter=Startup.*
            --winver=${v} TIMEOUT 180)
endforeach()
# The full system-information report of each version mode (sysreport.exe, with fixtures).
# The fixtures live in the prefix while one runs: the Windows-side tests, which read that
# registry too, wait for it.
foreach(v ${VELMORA_WINVERS})
  wine_test(e2e.report.${v} e2e_tests.exe ARGS --gtest_brief=1 --gtest_filter=Report.*
            --winver=${v} TIMEOUT 180)
  set_property(TEST e2e.report.${v} APPEND PROPERTY RESOURCE_LOCK win_tests.exe)
endforeach()
# The wizard's tuning for each version mode, through its pages and its restart question.
foreach(v ${VELMORA_WINVERS})
  wine_test(e2e.wizard.${v} e2e_tests.exe ARGS --gtest_brief=1 --gtest_filter=WizardTuning.*
            --winver=${v} TIMEOUT 180)
endforeach()
# Help, keys and a small screen, as the users of the old and the current systems meet them.
foreach(v winxp win10)
  wine_test(e2e.keys.${v} e2e_tests.exe ARGS --gtest_brief=1 --gtest_filter=Help.*:Keys.*:SmallScreen.*
            --winver=${v} TIMEOUT 240)
endforeach()
# The setup program: installed silently, the program started from its shortcut, removed again.
foreach(v winxp win10)
  wine_test(e2e.setup.${v} e2e_tests.exe ARGS --gtest_brief=1 --gtest_filter=Setup.* --winver=${v} TIMEOUT 240)
endforeach()
# Nothing the user did not ask for, in the oldest and the most common mode as well: the logon
# entry, a second copy after a log-off called off, a dialog left on the screen by the tray.
foreach(v win98 winxp)
  wine_test(e2e.unasked.${v} e2e_tests.exe ARGS --gtest_brief=1
            --gtest_filter=WizardLogon.*:SessionEnd.*:TrayAndDialogs.* --winver=${v} TIMEOUT 180)
endforeach()
wine_test(e2e e2e_tests.exe ARGS --gtest_brief=1
          --gtest_filter=-Startup.*:Report.*:WizardTuning.*:Setup.*:Wow64*:Help.*:Keys.*:SmallScreen.*:Hostile*
          TIMEOUT 300)
# The registry's two views of 64-bit Windows, in a 64-bit prefix of its own (made on first use).
wine_test(e2e.wow64 e2e_tests.exe WIN64 ARGS --gtest_brief=1 --gtest_filter=Wow64* TIMEOUT 300)
# Gathering from hostile registry data, with the machine's keys read in both views.
wine_test(win.wow64 win_tests.exe WIN64 ARGS --gtest_brief=1 --gtest_filter=SysInfoReading*:SysInfoRegistry* TIMEOUT 300)
# The system information dialog on a hostile registry, both views real, in the current modes.
foreach(v winxp win7 win10)
  wine_test(e2e.hostile.${v} e2e_tests.exe WIN64 ARGS --gtest_brief=1 --gtest_filter=HostileRegistry.* --winver=${v}
            TIMEOUT 420)
endforeach()
