# The library's API reference, from its public headers (QELV_PUBLIC_HEADERS), by Doxygen.
# Part of every build, and a Doxygen warning fails it: a public member without a doc comment
# or a reference that does not resolve is a build error, not a gap found after release. The
# HTML goes into the dev component (libqelv-modemlink-dev).

find_package(Doxygen REQUIRED)

set(QELV_API_DOCS_DIR ${PROJECT_BINARY_DIR}/docs/api)
# Doxygen reads a copy of the headers laid out as installed, so that its pages say
# `#include <qelv/mdcomm.h>` and hold no path of this machine.
set(QELV_API_DOCS_STAGE ${QELV_API_DOCS_DIR}/input)
set(QELV_API_DOCS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/api/mainpage.md)
set(QELV_API_DOCS_STAMP ${QELV_API_DOCS_DIR}/html.stamp)

set(QELV_API_DOCS_INPUT "\"${QELV_API_DOCS_STAGE}/mainpage.md\"")
set(staged_names "")
foreach(header IN LISTS QELV_PUBLIC_HEADERS)
  get_filename_component(name ${header} NAME)
  if(name IN_LIST staged_names)
    message(FATAL_ERROR "Two public headers are named ${name}; they are installed side by side")
  endif()
  list(APPEND staged_names ${name})
  string(APPEND QELV_API_DOCS_INPUT " \\\n                         \"${QELV_API_DOCS_STAGE}/qelv/${name}\"")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/docs/api/Doxyfile.in ${QELV_API_DOCS_DIR}/Doxyfile @ONLY)

# The stamp goes first and comes back only once Doxygen has succeeded, so a run that failed
# on a warning runs again at the next build whatever the headers' times. Old pages go too: a
# class taken out of the API must not live on in the installed HTML.
add_custom_command(
  OUTPUT ${QELV_API_DOCS_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QELV_API_DOCS_STAMP} ${QELV_API_DOCS_STAGE}
          ${QELV_API_DOCS_DIR}/html
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QELV_API_DOCS_STAGE}/qelv
  COMMAND ${CMAKE_COMMAND} -E copy ${QELV_PUBLIC_HEADERS} ${QELV_API_DOCS_STAGE}/qelv
  COMMAND ${CMAKE_COMMAND} -E copy ${QELV_API_DOCS_MAINPAGE} ${QELV_API_DOCS_STAGE}
  COMMAND Doxygen::doxygen ${QELV_API_DOCS_DIR}/Doxyfile
  COMMAND ${CMAKE_COMMAND} -E touch ${QELV_API_DOCS_STAMP}
  DEPENDS ${QELV_PUBLIC_HEADERS} ${QELV_API_DOCS_MAINPAGE} ${QELV_API_DOCS_DIR}/Doxyfile
  WORKING_DIRECTORY ${QELV_API_DOCS_DIR}
  COMMENT "Generating the libqelv-modemlink API reference (Doxygen, warnings are errors)"
  VERBATIM)
add_custom_target(qelv_api_docs ALL DEPENDS ${QELV_API_DOCS_STAMP})
set_property(TARGET qelv_api_docs APPEND PROPERTY ADDITIONAL_CLEAN_FILES
             ${QELV_API_DOCS_STAGE} ${QELV_API_DOCS_DIR}/html)

install(DIRECTORY ${QELV_API_DOCS_DIR}/html/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libqelv-modemlink-dev/html COMPONENT dev)
