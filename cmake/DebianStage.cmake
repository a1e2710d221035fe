# Run by cpack (CPACK_PRE_BUILD_SCRIPTS, see cmake/Package.cmake) on the staged install trees,
# before it makes the packages of them: what Debian asks of a package's files and
# `cmake --install` has no reason to do.

# The install rules take their folders and the program's RUNPATH from the prefix the tree was
# configured with: only a /usr tree puts the library in /usr/lib/<multiarch> and leaves the
# program without a RUNPATH, as a Debian package must.
if(NOT CPACK_QELV_CONFIGURED_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
  message(FATAL_ERROR
    "This build tree is configured with CMAKE_INSTALL_PREFIX=${CPACK_QELV_CONFIGURED_PREFIX}; "
    "the Debian packages are made from one configured with "
    "-DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()

# Each component has a staging tree of its own below the temporary directory.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
  if(IS_SYMLINK "${path}")
    continue()
  endif()
  # Manual pages are installed compressed, without a name or time stamp in the header so that
  # the same source gives the same package.
  if(path MATCHES "/share/man/(.+/)?man[1-9][^/]*/[^/]+$" AND NOT path MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9nf "${path}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "gzip -9n ${path} failed")
    endif()
    continue()
  endif()
  # The programs and the library are stripped already (CPACK_STRIP_FILES); the compiler's
  # version strings in .comment are of no use to anyone running them.
  file(READ "${path}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_QELV_STRIP}" --remove-section=.comment --remove-section=.note
                            "${path}"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${CPACK_QELV_STRIP} --remove-section=.comment ${path} failed")
    endif()
  endif()
endforeach()
