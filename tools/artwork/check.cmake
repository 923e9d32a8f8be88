# Regenerates the artwork into a scratch folder and compares every file byte
# for byte with the committed one, so stale artwork fails the build's tests.
# Arguments: -DTOOL=<sorvelt-artwork> -DSOURCE=<repository root> -DSCRATCH=<folder>
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/resources" "${SCRATCH}/docs")
execute_process(COMMAND "${TOOL}" "${SCRATCH}/resources" "${SCRATCH}/docs" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "sorvelt-artwork failed (${status})")
endif()

set(files docs/editor-artwork.png)
foreach(resource RANGE 128 134)
  list(APPEND files resources/bmp00${resource}.png)
endforeach()
set(stale "")
foreach(file IN LISTS files)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SCRATCH}/${file}" "${SOURCE}/${file}"
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale ${file})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "committed artwork differs from what the generator draws: ${stale}\n"
    "regenerate with: build/sorvelt-artwork resources docs")
endif()
message(STATUS "artwork up to date: ${files}")
