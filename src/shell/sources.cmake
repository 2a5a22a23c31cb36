list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/HtmlLayout.cpp
  ${DIR}/PlacementLogic.cpp
  ${DIR}/FormProps.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/HtmlText.cpp
  ${DIR}/WindowHook.cpp
  ${DIR}/FormPlacement.cpp
  ${DIR}/WindowFade.cpp
  ${DIR}/AppEvents.cpp
  ${DIR}/AppProps.cpp
  ${DIR}/AppComponents.cpp
  ${DIR}/TrayIcon.cpp
)
