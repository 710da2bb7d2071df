# The versions of the libraries the editor is built with, read from their own
# headers, for the About window's list of components (third_party.h).
function(trevalune_header_version out header regex)
  set(version "?")
  if(EXISTS "${header}")
    file(STRINGS "${header}" lines REGEX "${regex}")
    if(lines)
      string(REGEX REPLACE ".*${regex}.*" "\\1" version "${lines}")
    endif()
  endif()
  set(${out} "${version}" PARENT_SCOPE)
endfunction()

function(trevalune_target_header out target name)
  set(${out} "" PARENT_SCOPE)
  if(TARGET ${target})
    get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir IN LISTS dirs)
      if(EXISTS "${dir}/${name}")
        set(${out} "${dir}/${name}" PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endif()
endfunction()

find_path(LIBCSV_INCLUDE_DIR csv.h REQUIRED)
find_package(ZLIB REQUIRED)
file(STRINGS "${LIBCSV_INCLUDE_DIR}/csv.h" csv_lines REGEX "#define CSV_(MAJOR|MINOR|RELEASE) ")
string(REGEX MATCHALL "[0-9]+" csv_numbers "${csv_lines}")
string(JOIN "." TREVALUNE_LIBCSV_VERSION ${csv_numbers})
trevalune_header_version(TREVALUNE_ZLIB_VERSION "${ZLIB_INCLUDE_DIRS}/zlib.h"
                         "#define ZLIB_VERSION \"([^\"]+)\"")
set(TREVALUNE_MUPARSER_VERSION "${muparser_VERSION}")
trevalune_target_header(qcustomplot_header QCustomPlotQt6::QCustomPlotQt6 qcustomplot.h)
trevalune_header_version(TREVALUNE_QCUSTOMPLOT_VERSION "${qcustomplot_header}"
                         "#define QCUSTOMPLOT_VERSION_STR \"([^\"]+)\"")
configure_file(${CMAKE_CURRENT_LIST_DIR}/third_party.h.in ${CMAKE_BINARY_DIR}/generated/third_party.h
               @ONLY)
message(STATUS "Components: libcsv ${TREVALUNE_LIBCSV_VERSION}, zlib ${TREVALUNE_ZLIB_VERSION}, "
               "muParser ${TREVALUNE_MUPARSER_VERSION}, QCustomPlot ${TREVALUNE_QCUSTOMPLOT_VERSION}")
