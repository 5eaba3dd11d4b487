# The release version, kept in the file VERSION at the top of the source tree
# (one line, MAJOR.MINOR.PATCH). The version resources of the programs, the
# package name and the desktop launcher all take it from there. Included by
# each folder that needs it (variables stay in the including folder's scope).

set(ORLO_VERSION_FILE ${CMAKE_SOURCE_DIR}/VERSION)
file(STRINGS ${ORLO_VERSION_FILE} ORLO_VERSION LIMIT_COUNT 1)
string(STRIP "${ORLO_VERSION}" ORLO_VERSION)
if(NOT ORLO_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not '${ORLO_VERSION}'")
endif()
set(ORLO_VERSION_COMMAS "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},0")
# A changed version configures again.
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORLO_VERSION_FILE})

set(ORLO_COPYRIGHT "(C) 2026 orlosend developers")

# Gives a program its version resource, so that the file's properties show the
# product, version and copyright:
#   orlo_version_resource(target "original file name" "description")
# The description may be Japanese (the source is UTF-8; the resource compiler
# is told so).
function(orlo_version_resource target original description)
  set(ORLO_ORIGINAL_NAME "${original}")
  set(ORLO_DESCRIPTION "${description}")
  set(ORLO_INTERNAL_NAME "${target}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/tools/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# Embeds a program's application manifest (resource type 24, id 1): what the
# platform is to know before the program starts, such as its execution level
# and whether it scales to the screen's density itself.
#   orlo_manifest_resource(target manifest-file)
function(orlo_manifest_resource target manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "1 24 \"${manifest}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${target} PRIVATE ${rc})
  # Some MinGW-w64 builds link a manifest of their own into every program
  # (default-manifest.o among the start files). An empty object of that name,
  # found first, keeps it out: the program's manifest stays its only one.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=default-manifest.o
    OUTPUT_VARIABLE toolchain_manifest OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${toolchain_manifest}")
    set(dir ${CMAKE_BINARY_DIR}/no-default-manifest)
    if(NOT EXISTS ${dir}/default-manifest.o)
      file(WRITE ${dir}/empty.c "")
      execute_process(COMMAND ${CMAKE_C_COMPILER} -c ${dir}/empty.c -o ${dir}/default-manifest.o
        RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "could not make ${dir}/default-manifest.o")
      endif()
    endif()
    target_link_options(${target} PRIVATE -B${dir}/)
  endif()
endfunction()
