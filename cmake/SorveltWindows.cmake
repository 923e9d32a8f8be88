# The Windows build, cross-compiled with cmake/toolchain-*-w64-mingw32.cmake (see
# scripts/build-windows.sh): sorvelt.dll and the test programs that run under Wine.
# The top CMakeLists.txt includes this in place of the Linux targets.
enable_language(RC)

# Target libraries: zlib from libz-mingw-w64-dev, libpng as build-windows.sh built it
# for this target under deps/prefix. Both static (the toolchain asks for libz.a).
find_package(ZLIB REQUIRED)
find_package(PNG QUIET)

foreach(dir plugin effect)
  add_subdirectory(${dir})
endforeach()

# The toolkit: the portable half with the GDI drawing backend, the "PNG" resources as
# its image source and DIB sections as its images (sorvelt_gui), the windows and time of Windows (sorvelt_gui_win), and the
# scripted platform for tests (sorvelt_gui_headless).
file(GLOB gui_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/gui/*.cpp)
add_library(sorvelt_gui STATIC ${gui_sources} ${PROJECT_SOURCE_DIR}/plugin/aeffguieditor.cpp
  ${PROJECT_SOURCE_DIR}/gui/win/gdibackend.cpp ${PROJECT_SOURCE_DIR}/gui/win/win32resources.cpp
  ${PROJECT_SOURCE_DIR}/gui/win/win32bitmap.cpp ${PROJECT_SOURCE_DIR}/gui/win/blendfunctions.cpp)
target_include_directories(sorvelt_gui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(sorvelt_gui PUBLIC sorvelt_plugin PNG::PNG ZLIB::ZLIB gdi32 user32)

# Objects, not an archive: the portable half asks for createPlatform, which only these define.
add_library(sorvelt_gui_win OBJECT ${PROJECT_SOURCE_DIR}/gui/win/win32window.cpp
  ${PROJECT_SOURCE_DIR}/gui/win/win32platform.cpp)
target_link_libraries(sorvelt_gui_win PUBLIC sorvelt_gui user32 gdi32 ole32 shell32 uuid)

file(GLOB headless_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/gui/headless/*.cpp)
add_library(sorvelt_gui_headless OBJECT ${headless_sources})
target_link_libraries(sorvelt_gui_headless PUBLIC sorvelt_gui)

add_subdirectory(editor)

# build-winNN/sorvelt.dll: the exports from the module-definition file, the bitmaps as
# "PNG" resources from the resource script, everything else linked in statically.
file(GLOB pngs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/bmp[0-9][0-9][0-9][0-9][0-9].png)
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/sorvelt.rc PROPERTIES
  OBJECT_DEPENDS "${pngs}" COMPILE_OPTIONS "--include-dir=${PROJECT_SOURCE_DIR}/resources")
add_library(sorvelt SHARED ${PROJECT_SOURCE_DIR}/plugin/entry.cpp ${PROJECT_SOURCE_DIR}/plugin/sorvelt.def
  ${PROJECT_SOURCE_DIR}/resources/sorvelt.rc)
set_target_properties(sorvelt PROPERTIES PREFIX "" OUTPUT_NAME sorvelt
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
target_link_libraries(sorvelt PRIVATE sorvelt_effect sorvelt_plugin sorvelt_editor sorvelt_gui_win)
target_include_directories(sorvelt PRIVATE ${PROJECT_SOURCE_DIR})
# A host's plug-in folder takes the DLL as it is.
install(TARGETS sorvelt RUNTIME DESTINATION . LIBRARY DESTINATION .)

enable_testing()

# The PE file: machine type, exactly the two exports at one address, system DLLs only,
# and the 32-bit calling convention.
find_program(SORVELT_OBJDUMP NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump objdump REQUIRED)
add_test(NAME sorvelt_dll_pe_check
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win/pe_check.sh ${SORVELT_OBJDUMP} $<TARGET_FILE:sorvelt>
          ${CMAKE_SYSTEM_PROCESSOR})
set_tests_properties(sorvelt_dll_pe_check PROPERTIES LABELS unit)

# Test programs, only where they can run (the 32-bit build has no emulator here).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()

# GoogleTest from the source Debian's googletest package ships, built for the target.
# It is third-party code: the house warnings are not its business.
get_directory_property(house_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${house_options}")

# A crash in a test program ends it with a message instead of Wine's debugger.
add_library(sorvelt_win_test_support OBJECT ${PROJECT_SOURCE_DIR}/tests/win/crashfilter.cpp)

# sorvelt_add_windows_tests(SOURCES file... [LIBS lib...] [COMPILE_OPTIONS option...])
# One GoogleTest program per source, run under Wine as one ctest test: every Wine start
# costs a good fraction of a second, so the program's cases are not split up as on Linux.
function(sorvelt_add_windows_tests)
  cmake_parse_arguments(W "" "" "SOURCES;LIBS;COMPILE_OPTIONS" ${ARGN})
  foreach(src ${W_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${W_LIBS} sorvelt_win_test_support
      GTest::gtest GTest::gtest_main Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${W_COMPILE_OPTIONS})
    set(labels unit)
    if(name MATCHES "_concurrency_test$")
      set(labels concurrency)
    elseif(name MATCHES "_x11_test$")
      set(labels x11)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS ${labels})
    if(labels STREQUAL "x11")
      # One pointer on the display: a test's gestures must not land in another's windows.
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11_display)
    endif()
  endforeach()
endfunction()

# The interface: every suite but the Linux entry test, which loads a shared object with
# dlopen; dll_entry_test loads the DLL itself.
file(GLOB plugin_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/plugin/*_test.cpp)
list(FILTER plugin_tests EXCLUDE REGEX "/entry_test\\.cpp$")
sorvelt_add_windows_tests(SOURCES ${plugin_tests} LIBS sorvelt_plugin)

# The engine is linked in as well, to compare the DLL's audio with it bit for bit.
sorvelt_add_windows_tests(SOURCES ${PROJECT_SOURCE_DIR}/tests/plugin/win/dll_entry_test.cpp
  LIBS sorvelt_effect sorvelt_editor sorvelt_gui_headless COMPILE_OPTIONS -ffp-contract=off -fno-tree-slp-vectorize)
add_dependencies(dll_entry_test sorvelt)
# The effect built into the test has the DLL's bitmaps too, so its editor has the same size.
target_sources(dll_entry_test PRIVATE ${PROJECT_SOURCE_DIR}/resources/sorvelt.rc)
target_compile_definitions(dll_entry_test PRIVATE
  SORVELT_DLL_PATH="$<TARGET_FILE:sorvelt>" SORVELT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The effect, with the same bit-exact engine tests as on Linux.
file(GLOB effect_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/effect/*_test.cpp)
sorvelt_add_windows_tests(SOURCES ${effect_tests} LIBS sorvelt_effect sorvelt_editor sorvelt_gui_headless
  COMPILE_OPTIONS -ffp-contract=off -fno-tree-slp-vectorize)

# The toolkit's suites, the same sources as on Linux: here the drawing goes through GDI, so the
# rules both backends share are checked against both.
file(GLOB gui_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/gui/*_test.cpp)
list(FILTER gui_tests EXCLUDE REGEX "_x11_test\\.cpp$")
sorvelt_add_windows_tests(SOURCES ${gui_tests} LIBS sorvelt_gui sorvelt_gui_headless)
foreach(src ${gui_tests})
  get_filename_component(name ${src} NAME_WE)
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/resources/sorvelt.rc)
endforeach()

# The GDI drawing target and what reaches it through GDI itself.
sorvelt_add_windows_tests(SOURCES ${PROJECT_SOURCE_DIR}/tests/gui/win/gdibackend_test.cpp LIBS sorvelt_gui)

# The Windows child window and its messages, on a real X server through Wine.
sorvelt_add_windows_tests(SOURCES ${PROJECT_SOURCE_DIR}/tests/gui/win/win32window_x11_test.cpp
  LIBS sorvelt_gui_win)

# The editor in a real child window of a small host, driven with xdotool: the plug-in's own
# code linked in, with the bitmaps bound into the test program as they are into the DLL.
sorvelt_add_windows_tests(SOURCES ${PROJECT_SOURCE_DIR}/tests/gui/win/editor_win_x11_test.cpp
  LIBS sorvelt_effect sorvelt_editor sorvelt_gui_win)
target_sources(editor_win_x11_test PRIVATE ${PROJECT_SOURCE_DIR}/plugin/entry.cpp
  ${PROJECT_SOURCE_DIR}/resources/sorvelt.rc)

# Bitmaps as DIB sections and the GDI ways of drawing them; the DLL's PNGs and a plain BITMAP
# resource of the test's own are bound in.
set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/gui/win/win32bitmap_test.rc PROPERTIES
  OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/tests/gui/win/plain3x2.bmp
  COMPILE_OPTIONS "--include-dir=${PROJECT_SOURCE_DIR}/tests/gui/win")
sorvelt_add_windows_tests(SOURCES ${PROJECT_SOURCE_DIR}/tests/gui/win/win32bitmap_test.cpp
  LIBS sorvelt_gui sorvelt_gui_headless)
target_sources(win32bitmap_test PRIVATE ${PROJECT_SOURCE_DIR}/resources/sorvelt.rc
  ${PROJECT_SOURCE_DIR}/tests/gui/win/win32bitmap_test.rc)
