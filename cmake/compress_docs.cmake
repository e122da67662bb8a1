# Run by CPack on its staging tree before the package is made: Debian wants
# manual pages and changelogs compressed with gzip -9n (best compression, no
# file name or time stamp in the header).
find_program(GLYPH_GZIP gzip REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER staged INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$|/share/doc/[^/]+/changelog$")
foreach(file IN LISTS staged)
  execute_process(COMMAND ${GLYPH_GZIP} -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
endforeach()
