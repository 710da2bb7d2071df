# Runs `PROGRAM --OPTION` with no display and no window system named in the
# environment, as in a plain shell or a build machine: --help and --version
# must answer on the standard output, print nothing else and end with 0.
#   cmake -DPROGRAM=... -DOPTION=help|version -DVERSION=... [-DEMULATOR=wine] -P without_display.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
          ${EMULATOR} ${PROGRAM} --${OPTION}
  RESULT_VARIABLE code
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)

if(OPTION STREQUAL "version")
  set(expected "^trevalune ${VERSION}\n$")
else()
  set(expected "^Использование: [^\n]*trevalune \\[параметры\\] \\[ФАЙЛ\\]\n")
endif()

if(NOT code EQUAL 0 OR NOT errors STREQUAL "" OR NOT output MATCHES "${expected}")
  message(FATAL_ERROR "--${OPTION}: exit ${code}\nstandard output:\n${output}\n"
                      "standard error:\n${errors}\nexpected output matching: ${expected}")
endif()
