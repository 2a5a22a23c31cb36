list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/MainLogic.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/MainUnit.cpp
  ${DIR}/OptForm.cpp
)
