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
# The synthesizer is npm's js-synthesizer with the libfluidsynth it bundles (pinned in
# package-lock.json, installed by `make web`); the soundfont is Debian's TimGM6mb. Each goes into
# the site under the name synth.js fetches, with its licence beside it.
set(SYNTH_PACKAGE ${PROJECT_SOURCE_DIR}/node_modules/js-synthesizer)
set(SOUND_SITE_FILES
    ${SYNTH_PACKAGE}/dist/js-synthesizer.js js-synthesizer.js
    ${SYNTH_PACKAGE}/LICENSE js-synthesizer.LICENSE.txt
    ${SYNTH_PACKAGE}/externals/libfluidsynth-2.4.6.js libfluidsynth-2.4.6.js
    ${SYNTH_PACKAGE}/externals/LICENSE.fluidsynth.txt libfluidsynth.LICENSE.txt
    /usr/share/sounds/sf2/TimGM6mb.sf2 TimGM6mb.sf2
    /usr/share/doc/timgm6mb-soundfont/copyright TimGM6mb.LICENSE.txt)
set(SOUND_SITE_OUTPUTS)
while(SOUND_SITE_FILES)
  list(POP_FRONT SOUND_SITE_FILES from to)
  if(NOT EXISTS ${from})
    message(FATAL_ERROR "${from} is missing: `make web` installs it (npm ci, timgm6mb-soundfont)")
  endif()
  add_custom_command(OUTPUT ${SKYPOP_SITE_DIR}/${to}
                     COMMAND ${CMAKE_COMMAND} -E copy ${from} ${SKYPOP_SITE_DIR}/${to}
                     DEPENDS ${from})
  list(APPEND SOUND_SITE_OUTPUTS ${SKYPOP_SITE_DIR}/${to})
endwhile()
add_custom_target(skypop_site_sound ALL DEPENDS ${SOUND_SITE_OUTPUTS})
# ---- end of the sound block ----
