# Installs the build into a fresh prefix and checks what a user gets:
# cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
foreach(path bin/velqo-cli share/man/man1/velqo-cli.1 share/velqo
             share/bash-completion/completions/velqo-cli)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "${path} was not installed")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/bin/velqo-cli" --version
                OUTPUT_VARIABLE version RESULT_VARIABLE ran)
if(NOT ran EQUAL 0 OR NOT version STREQUAL "ProVelqo v5.00\n")
  message(FATAL_ERROR "the installed velqo-cli did not run: ${ran} ${version}")
endif()
# The man page renders without warnings where groff is at hand.
find_program(GROFF groff)
if(GROFF)
  execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww -z "${PREFIX}/share/man/man1/velqo-cli.1"
                  ERROR_VARIABLE warnings RESULT_VARIABLE rendered)
  if(NOT rendered EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "the man page does not render cleanly: ${warnings}")
  endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
