# Per-frame cost of Sorvelt's two audio callbacks, called through the plug-in record,
# against the plain transcription in bench/naive_uhj.h. Both must give the same bits:
# the transcription is built with the engine's floating-point flags.
add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
target_link_libraries(engine_bench PRIVATE sorvelt_effect sorvelt_editor sorvelt_gui sorvelt_gui_headless
  benchmark::benchmark)
target_include_directories(engine_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(engine_bench PRIVATE -ffp-contract=off -fno-tree-slp-vectorize)

# The two callbacks' arithmetic floors on this processor (x86-64 instructions written out).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  add_executable(engine_floor_bench ${CMAKE_CURRENT_LIST_DIR}/engine_floor_bench.cpp)
  target_link_libraries(engine_floor_bench PRIVATE benchmark::benchmark)
endif()
