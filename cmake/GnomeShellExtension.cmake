# varlok_make_gnome_shell_extensions(<source folder> <output folder>)
#
# GNOME Shell 45 and later load extensions as ES modules, 43 and 44 through
# the imports object; one file cannot be both. The extension's body is kept
# once (focusreport.js) and each style's extension.js is made from its head,
# the body and its tail, beside that style's metadata.json:
# <output>/<style>/varlok-foreground@varlok.github.io/. Made when CMake runs,
# and again whenever one of the pieces changes.
function(varlok_make_gnome_shell_extensions source output)
  set(uuid varlok-foreground@varlok.github.io)
  file(READ ${source}/focusreport.js body)
  foreach(style 43 45)
    file(READ ${source}/${style}/head.js head)
    file(READ ${source}/${style}/tail.js tail)
    file(MAKE_DIRECTORY ${output}/${style}/${uuid})
    file(CONFIGURE OUTPUT ${output}/${style}/${uuid}/extension.js CONTENT "${head}${body}${tail}"
         @ONLY)
    configure_file(${source}/${style}/${uuid}/metadata.json ${output}/${style}/${uuid}/metadata.json
                   COPYONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source}/${style}/head.js
                                                                   ${source}/${style}/tail.js)
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source}/focusreport.js)
endfunction()
