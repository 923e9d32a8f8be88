# What one editor redraw costs the toolkit: bitmap compositing, rectangles, text, buffer copies.
add_executable(toolkit_bench ${CMAKE_CURRENT_LIST_DIR}/toolkit_bench.cpp)
target_link_libraries(toolkit_bench PRIVATE sorvelt_gui sorvelt_gui_headless benchmark::benchmark)
target_include_directories(toolkit_bench PRIVATE ${PROJECT_SOURCE_DIR})
