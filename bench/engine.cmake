# Per-frame cost of Sorvelt's two audio callbacks, called through the plug-in record.
add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
target_link_libraries(engine_bench PRIVATE sorvelt_effect sorvelt_editor sorvelt_gui sorvelt_gui_headless
  benchmark::benchmark)
target_include_directories(engine_bench PRIVATE ${PROJECT_SOURCE_DIR})
