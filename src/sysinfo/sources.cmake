list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/ReportText.cpp
  ${DIR}/OsLogic.cpp
  ${DIR}/OsReport.cpp
  ${DIR}/LedMeterLogic.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/ReportLocale.cpp
  ${DIR}/KSI_OS.cpp
  ${DIR}/LedMeter.cpp
)
