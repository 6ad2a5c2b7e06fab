# cmake -DHEAD=... -DRUNTIME=... -DOUT=... -P windows_notices.cmake
# THIRD-PARTY-NOTICES.txt: our note on what the executable holds besides the game, then the
# MinGW-w64 project's own copyright file, whole, as the build machine's toolchain has it.
file(READ ${HEAD} head)
if(NOT EXISTS ${RUNTIME})
  message(FATAL_ERROR "${RUNTIME} is missing: install mingw-w64-common (tools/install_deps.sh windows)")
endif()
file(READ ${RUNTIME} runtime)
# Windows' own editors expect CRLF in a text file a player opens from the zip.
string(REPLACE "\r\n" "\n" text "${head}\n${runtime}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
