list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/Accelerators.cpp
  ${DIR}/Exception.cpp
  ${DIR}/TypeInfo.cpp
  ${DIR}/Classes.cpp
  ${DIR}/Strings.cpp
  ${DIR}/Description.cpp
  ${DIR}/Events.cpp
  ${DIR}/AlignLayout.cpp
  ${DIR}/DibFormat.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/MessageHooks.cpp
  ${DIR}/NotifyIcon.cpp
  ${DIR}/Controls.cpp
  ${DIR}/Forms.cpp
  ${DIR}/HintWindow.cpp
  ${DIR}/Menus.cpp
  ${DIR}/StdCtrls.cpp
  ${DIR}/ExtCtrls.cpp
  ${DIR}/Registry.cpp
  ${DIR}/UtilityWindow.cpp
  ${DIR}/Timer.cpp
  ${DIR}/Threads.cpp
  ${DIR}/Dialogs.cpp
  ${DIR}/Files.cpp
  ${DIR}/FloatControl.cpp
  ${DIR}/CheckLst.cpp
  ${DIR}/LazyImports.cpp
  ${DIR}/ImgList.cpp
  ${DIR}/ComCtrls.cpp
)
list(APPEND VELMORA_PORTABLE_SOURCES ${DIR}/Colors.cpp)
list(APPEND VELMORA_WIN_SOURCES ${DIR}/Canvas.cpp ${DIR}/Bitmaps.cpp ${DIR}/Cursors.cpp)
