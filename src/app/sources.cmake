list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/MainLogic.cpp
  ${DIR}/OptLogic.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/AppClasses.cpp
  ${DIR}/MainUnit.cpp
  ${DIR}/OptForm.cpp
)
