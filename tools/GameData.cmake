# Game data: the sound archive tamblor.tmb and the loose voice files under
# system/, built beside the program from assets/ by tamblor_gamedata.
# Sounds are cached in gamedata/cache by a key of everything that goes into
# them, so a rebuild only renders what changed.

file(GLOB GAMEDATA_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/gamedata/*.cpp)
add_executable(tamblor_gamedata ${GAMEDATA_TOOL_SOURCES})
target_link_libraries(tamblor_gamedata PRIVATE tamblor_game tamblor_platform)

set(GAMEDATA_MANIFEST ${CMAKE_SOURCE_DIR}/assets/manifest.tsv)
file(GLOB GAMEDATA_RECIPES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/sounds/*.recipes)
# Each table's sound tour: packed as it is, its captions spoken like every voice.
file(GLOB GAMEDATA_TOURS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/tours/*.tour)
set(GAMEDATA_DIR ${CMAKE_BINARY_DIR}/gamedata)

# The loose files are named in the manifest; re-read it when it changes so
# the build knows every file it makes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${GAMEDATA_MANIFEST})
set(GAMEDATA_LOOSE "")
if(EXISTS ${GAMEDATA_MANIFEST})
  file(STRINGS ${GAMEDATA_MANIFEST} loose_lines REGEX "^system/")
  foreach(line IN LISTS loose_lines)
    string(REGEX MATCH "^[^\t]+" loose_name "${line}")
    list(APPEND GAMEDATA_LOOSE ${CMAKE_BINARY_DIR}/${loose_name})
  endforeach()
endif()

# Table maps, when the map compiler is part of this build: each
# assets/maps/<folder>/<name>.mapsrc becomes the member <folder>/<name>.map.
set(GAMEDATA_MAP_ARGS "")
set(GAMEDATA_MAP_FILES "")
set(GAMEDATA_MAP_MEMBERS "")
if(TARGET mapc)
  file(GLOB_RECURSE GAMEDATA_MAP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/maps/*.mapsrc)
  foreach(map_source IN LISTS GAMEDATA_MAP_SOURCES)
    file(RELATIVE_PATH map_rel ${CMAKE_SOURCE_DIR}/assets/maps ${map_source})
    string(REGEX REPLACE "\\.mapsrc$" ".map" map_member "${map_rel}")
    set(map_out ${GAMEDATA_DIR}/maps/${map_member})
    add_custom_command(OUTPUT ${map_out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${GAMEDATA_DIR}/maps
      COMMAND mapc ${map_source} ${map_out}
      DEPENDS mapc ${map_source}
      COMMENT "Compiling map ${map_member}"
      VERBATIM)
    list(APPEND GAMEDATA_MAP_ARGS --map ${map_member}=${map_out})
    list(APPEND GAMEDATA_MAP_FILES ${map_out})
    list(APPEND GAMEDATA_MAP_MEMBERS ${map_member})
  endforeach()
endif()
# The data tests read which maps this build was able to compile.
list(JOIN GAMEDATA_MAP_MEMBERS "\n" map_list)
file(CONFIGURE OUTPUT ${GAMEDATA_DIR}/maps.txt CONTENT "${map_list}\n")

# One archive build at a time; it runs two speech or synthesis jobs itself.
set_property(GLOBAL APPEND PROPERTY JOB_POOLS tamblor_gamedata_pool=1)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tamblor.tmb
  BYPRODUCTS ${GAMEDATA_LOOSE}
  COMMAND tamblor_gamedata build ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${GAMEDATA_DIR}/cache
          --jobs 2 ${GAMEDATA_MAP_ARGS}
  DEPENDS tamblor_gamedata ${GAMEDATA_MANIFEST} ${GAMEDATA_RECIPES} ${GAMEDATA_TOURS} ${GAMEDATA_MAP_FILES}
  JOB_POOL tamblor_gamedata_pool
  COMMENT "Building the sound archive and voice files"
  VERBATIM)
add_custom_target(gamedata ALL DEPENDS ${CMAKE_BINARY_DIR}/tamblor.tmb)

# Installed as they lie beside the program: the archive and exactly the loose
# files the manifest names, in their folders.
install(FILES ${CMAKE_BINARY_DIR}/tamblor.tmb DESTINATION ${TAMBLOR_DATA_INSTALL_DIR})
foreach(loose IN LISTS GAMEDATA_LOOSE)
  file(RELATIVE_PATH loose_rel ${CMAKE_BINARY_DIR} ${loose})
  get_filename_component(loose_dir ${loose_rel} DIRECTORY)
  install(FILES ${loose} DESTINATION ${TAMBLOR_DATA_INSTALL_DIR}/${loose_dir})
endforeach()
