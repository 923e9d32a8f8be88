# What opening the editor costs: the median effEditOpen of the whole plug-in on the headless platform.
add_executable(editor_bench ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp)
target_link_libraries(editor_bench PRIVATE sorvelt_effect sorvelt_editor sorvelt_gui sorvelt_gui_headless
  benchmark::benchmark)
target_include_directories(editor_bench PRIVATE ${PROJECT_SOURCE_DIR})
