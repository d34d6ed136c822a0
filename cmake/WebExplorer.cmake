# The explorer for the web (tools/explorer/): explorer.js and explorer.wasm,
# the show stepped frame by frame for the explorer's page, and beside them
# every file of tools/explorer/page/. No main and no Asyncify: the page
# calls one frame at a time (tools/explorer/ExplorerExports.cpp says how).

add_executable(explorer tools/explorer/ExplorerExports.cpp)
target_link_libraries(explorer PRIVATE brindlemox_explorer_lib)
target_link_options(explorer PRIVATE
  -sENVIRONMENT=web,worker,node
  -sMODULARIZE=1
  -sEXPORT_NAME=createExplorer
  -sALLOW_MEMORY_GROWTH=1
  -sFORCE_FILESYSTEM=1
  -sNO_EXIT_RUNTIME=1
  "-sEXPORTED_RUNTIME_METHODS=['ccall','cwrap','UTF8ToString','FS','HEAPU8','HEAPU32']")

# The page's files, copied beside the module when the build runs, so that a
# file added there needs no line here.
set(BRINDLEMOX_EXPLORER_PAGE ${CMAKE_SOURCE_DIR}/tools/explorer/page)
add_custom_target(explorer-page ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${BRINDLEMOX_EXPLORER_PAGE} -DDESTINATION=${CMAKE_BINARY_DIR}
          -P ${CMAKE_SOURCE_DIR}/cmake/CopyFolderFiles.cmake
  COMMENT "Copying the explorer's page"
  VERBATIM)
