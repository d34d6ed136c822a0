# The tools of the web build run under node: the capture tool above all,
# whose frames must be the Linux build's to the byte (scripts/test-web.sh).
#
# NODERAWFS gives them the real file system and standard streams, so that
# they read the picture from the working directory and write raw video to a
# pipe as the native tools do; the exit code reaches node's process. The
# WebAssembly module is compiled synchronously, which keeps the glue from
# fetching it by URL, something newer nodes refuse for a file path.

set(BRINDLEMOX_NODE_STREAMS ${CMAKE_SOURCE_DIR}/cmake/NodeStandardStreams.js)
foreach(tool brindlemox-capture brindlemox-make-picture brindlemox-make-icons
             brindlemox-make-png-corpus brindlemox-drawcost)
  target_link_options(${tool} PRIVATE
    -sENVIRONMENT=node
    -sNODERAWFS=1
    -sEXIT_RUNTIME=1
    -sALLOW_MEMORY_GROWTH=1
    -sWASM_ASYNC_COMPILATION=0
    "SHELL:--pre-js ${BRINDLEMOX_NODE_STREAMS}")
  set_property(TARGET ${tool} APPEND PROPERTY LINK_DEPENDS ${BRINDLEMOX_NODE_STREAMS})
endforeach()
