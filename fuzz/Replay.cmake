# Every fuzz target built into the test tree with the replay main (FuzzReplayMain.cpp): each runs
# over its seeds and a fixed set of changed copies of them as a CTest case, under the tree's
# sanitizers. This is what CI checks of the fuzz targets; `make fuzz` builds them for libFuzzer.
include(${CMAKE_CURRENT_LIST_DIR}/Seeds.cmake)

# The picture renderer starts a child for each picture: fewer changes keep its case short.
set(changes_picture_render_fuzzer 8)

file(GLOB replay_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzzer.cpp)
foreach(src IN LISTS replay_sources)
  get_filename_component(name ${src} NAME_WE)
  add_executable(pw_${name}_replay ${src} ${CMAKE_CURRENT_LIST_DIR}/FuzzReplayMain.cpp ${CMAKE_CURRENT_LIST_DIR}/FuzzSupport.h)
  pw_fuzz_link_libraries(pw_${name}_replay ${name})
  target_compile_options(pw_${name}_replay PRIVATE ${PW_TEST_DRIVER_FLAGS})
  pw_test_program_link_options(pw_${name}_replay)
  pw_target_options(pw_${name}_replay)
  set(seeds)
  foreach(folder IN LISTS seeds_${name})
    list(APPEND seeds ${PROJECT_SOURCE_DIR}/${folder})
  endforeach()
  set(changes 256)
  if(DEFINED changes_${name})
    set(changes ${changes_${name}})
  endif()
  add_test(NAME fuzz_replay_${name} COMMAND pw_${name}_replay --changes=${changes} ${seeds})
  # The design reader starts fontconfig, which keeps a few bytes to the end.
  set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C;ASAN_OPTIONS=detect_leaks=0")
endforeach()
