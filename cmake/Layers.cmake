# Layers the compiler checks.
#
# Each library has an include root of its own in the build tree that holds
# only its folder, as a link to the sources (layers/engine/engine -> engine/),
# so the include spelling stays "engine/x.h". The root is PUBLIC and link
# dependencies are PUBLIC, so a target sees its own headers and those of the
# layers it links, and nothing above: an include against the layer order is
# not found and the build fails.

# The include root of library name holding source folder dir (relative to the
# current CMakeLists.txt); answers its path in out. The libraries it links
# (deps) are noted for taskmoor_roots_of_sources.
function(taskmoor_layer_root name dir out)
  get_filename_component(_abs ${CMAKE_CURRENT_SOURCE_DIR}/${dir} ABSOLUTE)
  file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${_abs})
  set(_root ${PROJECT_BINARY_DIR}/layers/${name})
  get_filename_component(_parent ${_root}/${_rel} DIRECTORY)
  file(MAKE_DIRECTORY ${_parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_rel} ${_root}/${_rel} SYMBOLIC)
  set_property(GLOBAL PROPERTY TASKMOOR_LIBRARY_OF_${_rel} ${name})
  set_property(GLOBAL PROPERTY TASKMOOR_ROOT_OF_${name} ${_root})
  set_property(GLOBAL PROPERTY TASKMOOR_DEPS_OF_${name} ${ARGN})
  set(${out} ${_root} PARENT_SCOPE)
endfunction()

# The include roots the sources of these libraries compile with: their own and
# those of the libraries they link, all the way down.
function(taskmoor_roots_of_libraries out)
  set(_roots)
  foreach(_lib IN LISTS ARGN)
    get_property(_root GLOBAL PROPERTY TASKMOOR_ROOT_OF_${_lib})
    get_property(_deps GLOBAL PROPERTY TASKMOOR_DEPS_OF_${_lib})
    taskmoor_roots_of_libraries(_below ${_deps})
    list(APPEND _roots ${_root} ${_below})
  endforeach()
  list(REMOVE_DUPLICATES _roots)
  set(${out} ${_roots} PARENT_SCOPE)
endfunction()

# The same for the libraries that hold these sources (paths relative to the
# project), for targets that compile a few of a library's sources themselves.
function(taskmoor_roots_of_sources out)
  set(_libs)
  foreach(_src IN LISTS ARGN)
    get_filename_component(_dir ${_src} DIRECTORY)
    get_property(_lib GLOBAL PROPERTY TASKMOOR_LIBRARY_OF_${_dir})
    if(NOT _lib)
      message(FATAL_ERROR "${_src}: no library holds this folder")
    endif()
    list(APPEND _libs ${_lib})
  endforeach()
  taskmoor_roots_of_libraries(_roots ${_libs})
  set(${out} ${_roots} PARENT_SCOPE)
endfunction()

# Precompiled headers for a library or test program: the standard headers nearly
# every source uses, and the platform's most used headers when target sees them
# (it links the libraries in libs, directly or below).
function(taskmoor_precompile target)
  taskmoor_roots_of_libraries(_roots ${ARGN})
  set(_pch <string> <vector> <memory> <functional> <algorithm> <map> <cstdint>
      <platform/core/sysutils.h> <platform/core/exceptions.h>)
  if("${PROJECT_BINARY_DIR}/layers/platform_db" IN_LIST _roots)
    list(APPEND _pch <platform/db/dataset.h> <platform/db/fields.h>)
  endif()
  if("${PROJECT_BINARY_DIR}/layers/platform_ui" IN_LIST _roots)
    list(APPEND _pch <platform/ui/forms.h> <platform/ui/stdctrls.h> <platform/ui/application.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${_pch})
endfunction()

# One static library per layer and subsystem; sources are every .cpp in the folder.
# A folder without sources yet gives an interface library, so dependants still link.
function(taskmoor_library name dir)
  taskmoor_layer_root(${name} ${dir} _root ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(_src)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${_root})
    taskmoor_precompile(${name} ${name})
    if(ARGN)
      target_link_libraries(${name} PUBLIC ${ARGN})
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${_root})
    if(ARGN)
      target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
  endif()
endfunction()

# One test program per subsystem: every .cpp in the test folder, run under CTest.
# A test sees the layers it links and the shared test helpers under tests/.
# A folder with its own main.cpp (visual tests that need an application object)
# links plain GoogleTest instead of its default main.
function(taskmoor_tests name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src} ${PROJECT_SOURCE_DIR}/tests/support/run_folder.cpp)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/main.cpp)
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  taskmoor_precompile(${name} ${ARGN})
  # Test code itself is compiled unoptimised and without the fuzzers' coverage
  # counters: that halves its build time, and the sanitizers stay on. The
  # libraries under test keep the build's own flags.
  target_compile_options(${name} PRIVATE -O0)
  if(TASKMOOR_FUZZ)
    target_compile_options(${name} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TASKMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TIMEOUT 600)
endfunction()
