list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/ReportText.cpp
  ${DIR}/ReportNames.cpp
  ${DIR}/SysInfoProps.cpp
  ${DIR}/OsLogic.cpp
  ${DIR}/OsReport.cpp
  ${DIR}/LedMeterLogic.cpp
  ${DIR}/SysInfoLogic.cpp
  ${DIR}/CpuLogic.cpp
  ${DIR}/CpuIsa.cpp
  ${DIR}/CpuTopology.cpp
  ${DIR}/CpuNames.cpp
  ${DIR}/CpuReport.cpp
  ${DIR}/CpuDump.cpp
  ${DIR}/MemoryReport.cpp
  ${DIR}/MachineReport.cpp
  ${DIR}/DiskLogic.cpp
  ${DIR}/NetworkReport.cpp
  ${DIR}/DisplayReport.cpp
  ${DIR}/MediaReport.cpp
  ${DIR}/DevicesReport.cpp
  ${DIR}/EnginesReport.cpp
  ${DIR}/ApmReport.cpp
  ${DIR}/DirectXReport.cpp
  ${DIR}/ProcessesReport.cpp
  ${DIR}/PrintersReport.cpp
  ${DIR}/SoftwareReport.cpp
  ${DIR}/StartupReport.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/ComGuids.cpp
  ${DIR}/ReportLocale.cpp
  ${DIR}/KSI_OS.cpp
  ${DIR}/LedMeter.cpp
  ${DIR}/SysInfoWin.cpp
  ${DIR}/KSystemInfo.cpp
  ${DIR}/KSI_CPU.cpp
  ${DIR}/KSI_Memory.cpp
  ${DIR}/KSI_Machine.cpp
  ${DIR}/KSI_Disk.cpp
  ${DIR}/KSI_Network.cpp
  ${DIR}/KSI_Display.cpp
  ${DIR}/KSI_Media.cpp
  ${DIR}/KSI_Devices.cpp
  ${DIR}/KSI_Engines.cpp
  ${DIR}/KSI_APM.cpp
  ${DIR}/KSI_DirectX.cpp
  ${DIR}/KSI_Processes.cpp
  ${DIR}/KSI_Printers.cpp
  ${DIR}/KSI_Software.cpp
  ${DIR}/KSI_Startup.cpp
)
# The system information dialog.
list(APPEND VELMORA_PORTABLE_SOURCES ${DIR}/OverviewLogic.cpp)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/ComGuids.cpp ${DIR}/KSI_DetailDlg.cpp ${DIR}/KSI_Overview.cpp)
