# sorvelt-render's whole job on a 60 s stereo file: read, encode through the plug-in, write.
add_executable(render_bench ${CMAKE_CURRENT_LIST_DIR}/render_bench.cpp)
target_link_libraries(render_bench PRIVATE sorvelt_render_core benchmark::benchmark)
target_compile_definitions(render_bench PRIVATE SORVELT_PLUGIN_FILE="${CMAKE_BINARY_DIR}/sorvelt.so")
if(TARGET sorvelt)
  add_dependencies(render_bench sorvelt)
endif()
