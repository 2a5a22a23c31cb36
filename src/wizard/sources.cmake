list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/WizardLogic.cpp
  ${DIR}/AutoRunLogic.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/Wizard.cpp
  ${DIR}/WorkThread.cpp
  ${DIR}/AutoRun.cpp
  ${DIR}/Shutdown.cpp
)
