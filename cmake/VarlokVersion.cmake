# The project's version is the one version number: the programs show it
# (varlok_version's header), and the package's changelog and the AppStream
# metainfo must name it too. A release that changes one without the others
# fails here, at configure time, rather than shipping two versions.

# varlok_check_version_in(<file> <regex> <what>)
# The first match of <regex>'s group 1 in <file> must be PROJECT_VERSION.
function(varlok_check_version_in file regex what)
  if(NOT EXISTS ${file})
    return()
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} text)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${file}: no ${what} found")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${file} names version ${CMAKE_MATCH_1} as its ${what}, but the project "
                        "is version ${PROJECT_VERSION} (project() in CMakeLists.txt)")
  endif()
endfunction()

# The upstream part of the newest entry: "varlok (0.1.0-1) unstable; ...".
varlok_check_version_in(${PROJECT_SOURCE_DIR}/debian/changelog
                        "^[a-z0-9.+-]+ \\(([0-9][^-)]*)(-[^)]*)?\\)" "newest changelog entry")
# The newest release comes first in the release list; its date dates the
# manual pages.
set(VARLOK_METAINFO_FILE ${PROJECT_SOURCE_DIR}/data/io.github.varlok.Varlok.metainfo.xml)
varlok_check_version_in(${VARLOK_METAINFO_FILE} "<release version=\"([^\"]+)\"" "newest release")
file(READ ${VARLOK_METAINFO_FILE} metainfo)
if(NOT metainfo MATCHES "<release version=\"[^\"]+\" date=\"([0-9-]+)\"")
  message(FATAL_ERROR "${VARLOK_METAINFO_FILE}: the newest release has no date")
endif()
set(VARLOK_RELEASE_DATE ${CMAKE_MATCH_1})

set(VARLOK_VERSION_HEADER_DIR ${PROJECT_BINARY_DIR}/generated/version)
configure_file(${PROJECT_SOURCE_DIR}/cmake/version.h.in ${VARLOK_VERSION_HEADER_DIR}/varlok/version.h
               @ONLY)
add_library(varlok_version INTERFACE)
target_include_directories(varlok_version INTERFACE ${VARLOK_VERSION_HEADER_DIR})
