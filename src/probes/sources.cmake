list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/OsKind.cpp
  ${DIR}/CpuLoad.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/Kestrix_Routines.cpp
  ${DIR}/KSI_CPUUsage.cpp
  ${DIR}/MemoryStatus.cpp
)
