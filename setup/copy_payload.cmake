# Copies the payload into the disc's folder: the program and its picture library, and the
# screen saver when the build has one. Only changed files are copied.
foreach(file IN ITEMS "${PROGRAM}" "${LIBRARY}" "${SAVER}")
  if(EXISTS "${file}")
    file(COPY "${file}" DESTINATION "${DISC}" USE_SOURCE_PERMISSIONS)
  elseif(NOT file STREQUAL SAVER)
    message(FATAL_ERROR "the disc needs ${file}")
  endif()
endforeach()
