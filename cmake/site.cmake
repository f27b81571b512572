# Our offline pages for the system being built: site/ rendered by render_site.cmake into
# build/site/, where the program looks first and from where they are installed or packaged.
#   wumpets_site(TARGET linux|windows)
function(wumpets_site target system)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/site/*)
  set(stamp ${CMAKE_BINARY_DIR}/site.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/site -DOUTPUT_DIR=${CMAKE_BINARY_DIR}/site
            -DSYSTEM=${system} -DVERSION=${CMAKE_PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/render_site.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${sources} ${CMAKE_SOURCE_DIR}/cmake/render_site.cmake
    COMMENT "Rendering the offline pages for ${system}")
  add_custom_target(${target} ALL DEPENDS ${stamp})
endfunction()
