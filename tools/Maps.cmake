# Table maps: the map compiler `mapc` and the library behind it, which the
# unit tests use too.
file(GLOB MAPTOOLS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/maptools/*.cpp)
add_library(tamblor_maptools STATIC ${MAPTOOLS_SOURCES})
target_include_directories(tamblor_maptools PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(mapc ${CMAKE_SOURCE_DIR}/tools/mapc.cpp)
target_link_libraries(mapc PRIVATE tamblor_maptools)

# The test binary and testing itself are set up after this file is read, so
# hooking into them waits for the end of the top-level directory.
function(tamblor_maps_hook_tests)
  if(TARGET tamblor_tests)
    target_link_libraries(tamblor_tests PRIVATE tamblor_maptools)
    target_compile_definitions(tamblor_tests PRIVATE
      TAMBLOR_MAP_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data/maps")
  endif()
  # The command line itself: a good source compiles, a bad one fails.
  set(maps_data ${CMAKE_SOURCE_DIR}/tests/data/maps)
  set(maps_out ${CMAKE_BINARY_DIR}/tests/mapc)
  add_test(NAME map_compiler_cli_example
           COMMAND mapc ${maps_data}/example.mapsrc ${maps_out}_example.map --png ${maps_out}_example.png)
  add_test(NAME map_compiler_cli_rejects_leak
           COMMAND mapc ${maps_data}/leaky.mapsrc ${maps_out}_leaky.map)
  add_test(NAME map_compiler_cli_usage COMMAND mapc ${maps_data}/example.mapsrc)
  set_tests_properties(map_compiler_cli_example map_compiler_cli_rejects_leak map_compiler_cli_usage
                       PROPERTIES LABELS unit)
  # What the messages say is up to the unit tests; here only the exit status.
  set_tests_properties(map_compiler_cli_rejects_leak map_compiler_cli_usage PROPERTIES WILL_FAIL TRUE)
endfunction()
cmake_language(DEFER CALL tamblor_maps_hook_tests)
