list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/MtMath.cpp
  ${DIR}/MtBitmapStream.cpp
  ${DIR}/MtDrawLogic.cpp
  ${DIR}/MtTrackBarLogic.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/MtSysUtils.cpp
  ${DIR}/MtLights.cpp
  ${DIR}/MtLeds.cpp
  ${DIR}/MtButtons.cpp
  ${DIR}/MtLabel.cpp
  ${DIR}/MtScale.cpp
  ${DIR}/MtTrackBar.cpp
  ${DIR}/MtClasses.cpp
  ${DIR}/MtControls.cpp
  ${DIR}/MtThreads.cpp
  ${DIR}/MtSystem.cpp
  ${DIR}/MtScope.cpp
  ${DIR}/MtLcd.cpp
  ${DIR}/MtProgressBar.cpp
  ${DIR}/MtTrayGauge.cpp
  ${DIR}/MtRegister.cpp
)
