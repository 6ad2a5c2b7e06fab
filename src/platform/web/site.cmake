# The browser build's link and its site folder: build-web/site/ holds the page, the game's .js and
# .wasm, and whatever the page loads beside them. Any static web server can serve it.
set(SKYPOP_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(WEB_DIR ${CMAKE_CURRENT_LIST_DIR})

add_executable(skypop_web ${PROJECT_SOURCE_DIR}/src/shell/browser_main.cpp)
target_link_libraries(skypop_web PRIVATE skypop_core skypop_sound skypop_platform)
set_target_properties(skypop_web PROPERTIES OUTPUT_NAME skypop RUNTIME_OUTPUT_DIRECTORY
                                                               ${SKYPOP_SITE_DIR})

# Every JS file beside the C++ is glue the C++ calls: each goes to the link as a JS library.
file(GLOB WEB_JS_LIBRARIES CONFIGURE_DEPENDS ${WEB_DIR}/*.js)
set(WEB_LINK_OPTIONS
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=33554432
    -sEXIT_RUNTIME=0
    -sFILESYSTEM=1
    -lidbfs.js
    "-sEXPORTED_FUNCTIONS=_main,_SkypopGameMode,_SkypopPlayPhase,_SkypopScore,_SkypopGamePaused,_SkypopNextTick"
    "-sEXPORTED_RUNTIME_METHODS=FS")
foreach(js IN LISTS WEB_JS_LIBRARIES)
  list(APPEND WEB_LINK_OPTIONS "--js-library=${js}")
endforeach()
target_link_options(skypop_web PRIVATE ${WEB_LINK_OPTIONS})
set_property(TARGET skypop_web APPEND PROPERTY LINK_DEPENDS ${WEB_JS_LIBRARIES})

# The page itself: index.html, its style and its plain JS, copied as they are.
file(GLOB_RECURSE WEB_PAGE_FILES CONFIGURE_DEPENDS ${WEB_DIR}/site/*)
add_custom_target(skypop_site ALL
                  COMMAND ${CMAKE_COMMAND} -E copy_directory ${WEB_DIR}/site ${SKYPOP_SITE_DIR}
                  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/icons/skypop-48.png
                          ${SKYPOP_SITE_DIR}/favicon.png
                  DEPENDS ${WEB_PAGE_FILES}
                  COMMENT "Copying the page into the site")

# ---- Sound and music files the page loads (the synthesizer, the soundfont and its licence) ----
# Whatever the sound needs copied into the site goes in this block; nothing else here depends on
# it, so it can change freely.
# ---- end of the sound block ----
