# Installation and packaging.
#
#   cmake --install BUILD_DIR [--prefix PREFIX]    (DESTDIR is honoured)
#   cd BUILD_DIR && cpack -G DEB                   (a Debian package)
include(GNUInstallDirs)

install(TARGETS glyphstout glyphslope glyphstoutslope glyphfamily
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# glyphpreview and glyphbdf install themselves (preview/ and reading/
# CMakeLists.txt); their pages go with them.
set(glyph_man_pages glyphstout.1 glyphslope.1 glyphstoutslope.1 glyphfamily.1)
if(TARGET glyphpreview)
  list(APPEND glyph_man_pages glyphpreview.1)
endif()
if(TARGET glyphbdf)
  list(APPEND glyph_man_pages glyphbdf.1)
endif()
list(TRANSFORM glyph_man_pages PREPEND ${PROJECT_SOURCE_DIR}/man/)
install(FILES ${glyph_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence in the machine-readable form that Debian reads, and the
# release history.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
              ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog glyph_changelog_top LIMIT_COUNT 1)
if(NOT glyph_changelog_top MATCHES "^glyphfilters \\(${PROJECT_VERSION}\\) ")
  message(WARNING "cmake/debian/changelog has no entry for version ${PROJECT_VERSION} at its top")
endif()

set(GLYPH_PACKAGE_MAINTAINER "The glyphfilters developers <glyphfilters@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME glyphfilters)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The glyphfilters developers")
set(CPACK_PACKAGE_CONTACT ${GLYPH_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "derive bold and oblique faces from BDF bitmap fonts")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
# The staging tree's modes are those of the files, not of the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME glyphfilters)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${GLYPH_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# glyphfamily runs the X font tools; the family's files are for fontconfig.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xfonts-utils)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS fontconfig)
set(glyph_description
    "Three filters derive a whole family from one drawn face of an X11 BDF"
    "bitmap font: glyphstout a bold face, glyphslope an oblique face and"
    "glyphstoutslope a bold oblique face. Each reads a font from a file or"
    "from standard input and writes the derived font to standard output,"
    "so they fit in font build scripts and pipes. glyphfamily makes all"
    "three faces of one or more sizes of a font and converts the family to"
    "PCF and OpenType bitmap files with the X font tools (xfonts-utils).")
if(TARGET glyphpreview)
  list(APPEND glyph_description
       "glyphpreview shows a line of text in BDF fonts, one under another, on"
       "the terminal or in a PNG image.")
endif()
if(TARGET glyphbdf)
  list(APPEND glyph_description
       "glyphbdf writes a strike of an installed bitmap font (OpenType bitmap,"
       "PCF, .pcf.gz) as a BDF font, for the filters to start from.")
endif()
list(JOIN glyph_description "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
# Debian wants manual pages and changelogs compressed with gzip -9n.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/compress_docs.cmake)

include(CPack)
