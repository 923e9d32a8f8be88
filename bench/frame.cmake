# What an idle pass of the frame costs: one dirty view redrawn against the whole window.
add_executable(frame_bench ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp)
target_link_libraries(frame_bench PRIVATE sorvelt_gui sorvelt_gui_headless benchmark::benchmark)
target_include_directories(frame_bench PRIVATE ${PROJECT_SOURCE_DIR})
