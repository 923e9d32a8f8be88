# sorvelt_add_test(NAME SOURCES file... LIBS lib... [LABELS label...])
# One GoogleTest program; each of its tests becomes a ctest test.
# Label "concurrency" marks programs that also run under ThreadSanitizer,
# label "x11" marks programs that need a display (scripts/test.sh starts Xvfb).
find_package(GTest REQUIRED)
include(GoogleTest)

function(sorvelt_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set(labels ${T_LABELS})
  if(NOT labels)
    set(labels unit)
  endif()
  # Real-window tests share one display, its pointer and its stacking order: one at a time.
  set(lock "")
  if("x11" IN_LIST labels)
    set(lock RESOURCE_LOCK x11_display)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS "${labels}" ${lock} ENVIRONMENT "SORVELT_BUILD_DIR=${CMAKE_BINARY_DIR};SORVELT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# sorvelt_add_folder_tests(<names-var> LIBS lib... [X11_LIBS lib...])
# One program per *_test.cpp in the calling folder. A name ending in _x11_test needs a
# display (label x11, linked with X11_LIBS instead of LIBS when given); one ending in _concurrency_test
# also runs under ThreadSanitizer (label concurrency). <names-var> receives the programs.
function(sorvelt_add_folder_tests out)
  cmake_parse_arguments(F "" "" "LIBS;X11_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  set(names)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    set(labels unit)
    set(libs ${F_LIBS})
    if(name MATCHES "_x11_test$")
      set(labels x11)
      if(F_X11_LIBS)
        set(libs ${F_X11_LIBS})
      endif()
    elseif(name MATCHES "_concurrency_test$")
      set(labels concurrency)
    endif()
    sorvelt_add_test(${name} SOURCES ${src} LIBS ${libs} LABELS ${labels})
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
