# Each source folder lists its files in its own sources.cmake:
#   VELMORA_PORTABLE_SOURCES  no <windows.h>: built natively too and unit-tested there
#   VELMORA_WIN_SOURCES       Win32 code, built only for Windows
set(VELMORA_PORTABLE_SOURCES)
set(VELMORA_WIN_SOURCES)
foreach(dir framework app shell wizard probes sysinfo instruments flat)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../src/${dir}/sources.cmake)
    set(DIR ${CMAKE_CURRENT_LIST_DIR}/../src/${dir})
    include(${DIR}/sources.cmake)
  endif()
endforeach()
set(VELMORA_SYSTEM_LIBS comctl32 comdlg32 shell32 ole32 oleaut32 advapi32 gdi32 user32
    kernel32 version winmm wsock32 winspool mpr)
