# The site folders of the browser build: build-web/site/ holds the page, the game's .js and .wasm,
# and whatever the page loads beside them; any static web server can serve it. A test build
# (SKYPOP_WEB_TEST_SITE) adds build-web/site-test/: the same site with the test hooks, which the
# shipped one never carries.
set(WEB_HOST_DIR ${CMAKE_CURRENT_LIST_DIR})

# The synthesizer is npm's js-synthesizer with the libfluidsynth it bundles (pinned in
# package-lock.json, installed by `make web`); the soundfont is the game's own cut of TimGM6mb
# (resources/skypop.sf2, GPL-2: its LICENSE.txt says where it came from and how it was cut). Each
# goes into the site under the name synth.js fetches, with its licence beside it.
set(SYNTH_PACKAGE ${PROJECT_SOURCE_DIR}/node_modules/js-synthesizer)
# libfluidsynth comes as one script with its WebAssembly inlined as text; the site gets the two
# apart (tools/split_fluidsynth.js says why), split here whenever either file changes.
set(FLUIDSYNTH_SCRIPT ${SYNTH_PACKAGE}/externals/libfluidsynth-2.4.6.js)
set(FLUIDSYNTH_SPLIT ${CMAKE_BINARY_DIR}/fluidsynth/libfluidsynth-2.4.6)
if(EXISTS ${FLUIDSYNTH_SCRIPT})
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 0 NODE)
  execute_process(COMMAND ${NODE} ${PROJECT_SOURCE_DIR}/tools/split_fluidsynth.js
                          ${FLUIDSYNTH_SCRIPT} ${FLUIDSYNTH_SPLIT}.js ${FLUIDSYNTH_SPLIT}.wasm
                  COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FLUIDSYNTH_SCRIPT}
                                                                 ${PROJECT_SOURCE_DIR}/tools/split_fluidsynth.js)
else()
  message(FATAL_ERROR "${FLUIDSYNTH_SCRIPT} is missing: `make web` installs it (npm ci)")
endif()
set(SKYPOP_SOUND_SITE_FILES
    ${SYNTH_PACKAGE}/dist/js-synthesizer.js js-synthesizer.js
    ${SYNTH_PACKAGE}/LICENSE js-synthesizer.LICENSE.txt
    ${FLUIDSYNTH_SPLIT}.js libfluidsynth-2.4.6.js
    ${FLUIDSYNTH_SPLIT}.wasm libfluidsynth-2.4.6.wasm
    ${SYNTH_PACKAGE}/externals/LICENSE.fluidsynth.txt libfluidsynth.LICENSE.txt
    ${PROJECT_SOURCE_DIR}/resources/skypop.sf2 skypop.sf2
    ${PROJECT_SOURCE_DIR}/resources/skypop.sf2.LICENSE.txt skypop.sf2.LICENSE.txt)

# What makes the site installable: the manifest, the icons it names, and the service worker,
# written by make_precache.js with this build's cache name and every other file of the folder.
set(SITE_TOOLS_DIR ${PROJECT_SOURCE_DIR}/tools/site)
set(SKYPOP_APP_SITE_FILES
    ${SITE_TOOLS_DIR}/skypop.webmanifest skypop.webmanifest
    ${PROJECT_SOURCE_DIR}/resources/icons/skypop-192.png icons/skypop-192.png
    ${PROJECT_SOURCE_DIR}/resources/icons/skypop-512.png icons/skypop-512.png)
find_program(NODE_EXECUTABLE node REQUIRED)

# skypop_site(NAME PROGRAM DIR [TEST]): the custom target NAME fills DIR around PROGRAM's .js and
# .wasm (already linked into DIR) with the page, its icons, its manifest and the sound files, and
# last writes the service worker; TEST adds the test hooks' script and loads it from the page.
function(skypop_site name program dir)
  set(testing ${ARGN})
  file(GLOB_RECURSE page_files CONFIGURE_DEPENDS ${WEB_HOST_DIR}/site/*)
  set(outputs)
  foreach(page_file IN LISTS page_files)
    file(RELATIVE_PATH relative ${WEB_HOST_DIR}/site ${page_file})
    add_custom_command(OUTPUT ${dir}/${relative}
                       COMMAND ${CMAKE_COMMAND} -E copy ${page_file} ${dir}/${relative}
                       DEPENDS ${page_file})
    list(APPEND outputs ${dir}/${relative})
  endforeach()
  set(copies ${SKYPOP_SOUND_SITE_FILES} ${SKYPOP_APP_SITE_FILES}
      ${PROJECT_SOURCE_DIR}/resources/icons/skypop-48.png favicon.png)
  if(testing)
    list(APPEND copies ${WEB_HOST_DIR}/test/test_hooks.js test_hooks.js)
  endif()
  while(copies)
    list(POP_FRONT copies from to)
    if(NOT EXISTS ${from})
      message(FATAL_ERROR "${from} is missing: `make web` installs it (npm ci)")
    endif()
    get_filename_component(to_dir ${dir}/${to} DIRECTORY)
    add_custom_command(OUTPUT ${dir}/${to}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${to_dir}
                       COMMAND ${CMAKE_COMMAND} -E copy ${from} ${dir}/${to}
                       DEPENDS ${from})
    list(APPEND outputs ${dir}/${to})
  endwhile()
  if(testing)
    # The test page loads the hooks right after page.js, before the game's module starts.
    add_custom_command(OUTPUT ${dir}/index.html APPEND
                       COMMAND ${CMAKE_COMMAND} -DPAGE=${dir}/index.html
                               -P ${WEB_HOST_DIR}/test/add_test_hooks.cmake)
  endif()
  # The worker last, once every other file is in place (the program's .js and .wasm too); any
  # change to any of them makes a new one, with a new cache name. The test site gets its own,
  # which also lists the test hooks: the browser tests play that site offline.
  add_custom_command(OUTPUT ${dir}/service_worker.js
                     COMMAND ${NODE_EXECUTABLE} ${SITE_TOOLS_DIR}/make_precache.js ${dir}
                             ${PROJECT_VERSION}
                     DEPENDS ${outputs} ${program} ${SITE_TOOLS_DIR}/make_precache.js
                             ${SITE_TOOLS_DIR}/service_worker.js)
  list(APPEND outputs ${dir}/service_worker.js)
  # The worker caches whatever the folder holds, so a file this build does not put there (one a
  # renamed or dropped copy left behind) goes, lest every first visit download it.
  get_target_property(program_name ${program} OUTPUT_NAME)
  file(GLOB_RECURSE strays LIST_DIRECTORIES false ${dir}/*)
  list(REMOVE_ITEM strays ${outputs} ${dir}/${program_name}.js ${dir}/${program_name}.wasm)
  if(strays)
    file(REMOVE ${strays})
  endif()
  add_custom_target(${name} ALL DEPENDS ${outputs})
  add_dependencies(${name} ${program})
endfunction()
