# What a Windows player downloads: skypop-<version>-windows-x64.zip, holding the one executable
# (everything the game shows and plays is inside it), the README, the game's LICENSE and the
# notices of the MinGW-w64 runtime that the static link puts into the executable. The game's
# General-MIDI soundfont is not in it: Windows plays the music on its own synthesizer.
find_program(SKYPOP_ZIP zip REQUIRED)
set(SKYPOP_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/skypop-${PROJECT_VERSION}-windows-x64.zip)
set(SKYPOP_WINDOWS_STAGE ${CMAKE_BINARY_DIR}/zip)
set(SKYPOP_RUNTIME_NOTICES /usr/share/doc/mingw-w64-common/copyright)
set(SKYPOP_NOTICES ${SKYPOP_WINDOWS_STAGE}/THIRD-PARTY-NOTICES.txt)

add_custom_command(
  OUTPUT ${SKYPOP_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SKYPOP_WINDOWS_STAGE} ${SKYPOP_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SKYPOP_WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:skypop> ${PROJECT_SOURCE_DIR}/README.md
          ${PROJECT_SOURCE_DIR}/LICENSE ${SKYPOP_WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -DHEAD=${PROJECT_SOURCE_DIR}/src/hosts/windows/THIRD-PARTY-NOTICES.txt
          -DRUNTIME=${SKYPOP_RUNTIME_NOTICES} -DOUT=${SKYPOP_NOTICES}
          -P ${PROJECT_SOURCE_DIR}/cmake/windows_notices.cmake
  # Stored in a fixed order without extra attributes (-X); -D: no folder entries.
  COMMAND ${CMAKE_COMMAND} -E chdir ${SKYPOP_WINDOWS_STAGE} ${SKYPOP_ZIP} -q -X -D -9
          ${SKYPOP_WINDOWS_ZIP} skypop.exe README.md LICENSE THIRD-PARTY-NOTICES.txt
  DEPENDS skypop ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          ${PROJECT_SOURCE_DIR}/src/hosts/windows/THIRD-PARTY-NOTICES.txt
          ${PROJECT_SOURCE_DIR}/cmake/windows_notices.cmake
  COMMENT "Packing skypop-${PROJECT_VERSION}-windows-x64.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${SKYPOP_WINDOWS_ZIP})
