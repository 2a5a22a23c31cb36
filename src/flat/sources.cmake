list(APPEND VELMORA_PORTABLE_SOURCES
  ${DIR}/FlatUtils.cpp
)
list(APPEND VELMORA_WIN_SOURCES
  ${DIR}/FlatHover.cpp
  ${DIR}/FlatButtons.cpp
  ${DIR}/FlatCheckBoxes.cpp
  ${DIR}/FlatHints.cpp
)
