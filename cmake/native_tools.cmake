# Builds cmake/native_tools with the build machine's compiler (a separate configure, through
# ExternalProject) and offers its programs to the cross build as the imported executables
# embed_resources and make_ico, so resources/ runs the embedder exactly as every other build does.
include(ExternalProject)
set(SKYPOP_NATIVE_TOOLS_DIR ${CMAKE_BINARY_DIR}/native_tools)
ExternalProject_Add(native_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/native_tools
  BINARY_DIR ${SKYPOP_NATIVE_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DSKYPOP_SOURCE_DIR=${PROJECT_SOURCE_DIR}
             -DCMAKE_TOOLCHAIN_FILE=
  INSTALL_COMMAND ""
  # Rebuilt when its sources change, like any target of the build.
  BUILD_ALWAYS TRUE
  BUILD_BYPRODUCTS ${SKYPOP_NATIVE_TOOLS_DIR}/embed_resources ${SKYPOP_NATIVE_TOOLS_DIR}/make_ico)

foreach(tool embed_resources make_ico)
  add_executable(${tool} IMPORTED GLOBAL)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${SKYPOP_NATIVE_TOOLS_DIR}/${tool})
  add_dependencies(${tool} native_tools)
endforeach()
