# Checks the folder layering of the sources: every include of another folder
# ("folder/File.h") must name a folder the including folder declares it builds
# on, every folder of sources must have a declared place, and the declared
# folders must form no loop.
#
# cmake -DSOURCE=<source dir> -DLAYERS=<build dir>/folder-layers.txt -P CheckFolderLayers.cmake
# LAYERS holds one line per folder: "name:dep;dep;...".

cmake_minimum_required(VERSION 3.25)

file(STRINGS "${LAYERS}" lines)
set(folders "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([a-z]+):(.*)$" _ "${line}")
  set(name "${CMAKE_MATCH_1}")
  list(APPEND folders "${name}")
  set("deps_${name}" "${CMAKE_MATCH_2}")
endforeach()

set(failures "")

# Every folder named as a dependency is a declared folder.
foreach(name IN LISTS folders)
  foreach(dep IN LISTS "deps_${name}")
    if(NOT dep IN_LIST folders)
      string(APPEND failures "${name} declares ${dep}, which is no declared folder\n")
    endif()
  endforeach()
endforeach()

# Every folder at the top that holds sources has a place, apart from those
# that sit above everything (tests, benchmarks).
file(GLOB top LIST_DIRECTORIES true RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(dir IN LISTS top)
  if(NOT IS_DIRECTORY "${SOURCE}/${dir}" OR dir MATCHES "^(tests|bench|build.*|\\..*)$")
    continue()
  endif()
  file(GLOB_RECURSE sources "${SOURCE}/${dir}/*.cpp" "${SOURCE}/${dir}/*.h")
  if(sources AND NOT dir IN_LIST folders)
    string(APPEND failures "${dir}/ holds sources but has no declared place among the folders\n")
  endif()
endforeach()

# Includes stay within the declared dependencies.
foreach(name IN LISTS folders)
  file(GLOB_RECURSE sources "${SOURCE}/${name}/*.cpp" "${SOURCE}/${name}/*.h")
  foreach(file IN LISTS sources)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[A-Za-z_]+/")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "\"([A-Za-z_]+)/" _ "${include}")
      set(target "${CMAKE_MATCH_1}")
      if(target STREQUAL name OR target IN_LIST "deps_${name}")
        continue()
      endif()
      file(RELATIVE_PATH shown "${SOURCE}" "${file}")
      string(STRIP "${include}" include)
      string(APPEND failures "${shown}: ${include} reaches ${target}/, which ${name}/ does not declare\n")
    endforeach()
  endforeach()
endforeach()

# No loop: repeatedly take away folders whose dependencies are all taken.
set(left "${folders}")
set(progress TRUE)
while(left AND progress)
  set(progress FALSE)
  set(next "")
  foreach(name IN LISTS left)
    set(ready TRUE)
    foreach(dep IN LISTS "deps_${name}")
      if(dep IN_LIST left)
        set(ready FALSE)
      endif()
    endforeach()
    if(ready)
      set(progress TRUE)
    else()
      list(APPEND next "${name}")
    endif()
  endforeach()
  set(left "${next}")
endwhile()
if(left)
  string(REPLACE ";" " " shown "${left}")
  string(APPEND failures "the declared dependencies of these folders form a loop: ${shown}\n")
endif()

if(failures)
  message(FATAL_ERROR "Folder layering broken:\n${failures}")
endif()
list(LENGTH folders count)
message(STATUS "${count} folders, includes within their declared layers, no loop")
