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
# (deps) are noted for taskmoor_roots_of_libraries.
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

# The libraries that hold these sources (paths relative to the project), for
# targets that use a few of a library's sources: they link the library, and the
# linker takes only the objects they need.
function(taskmoor_libraries_of_sources out)
  set(_libs)
  foreach(_src IN LISTS ARGN)
    get_filename_component(_dir ${_src} DIRECTORY)
    get_property(_lib GLOBAL PROPERTY TASKMOOR_LIBRARY_OF_${_dir})
    if(NOT _lib)
      message(FATAL_ERROR "${_src}: no library holds this folder")
    endif()
    list(APPEND _libs ${_lib})
  endforeach()
  list(REMOVE_DUPLICATES _libs)
  set(${out} ${_libs} PARENT_SCOPE)
endfunction()

# Precompiled headers for a library or test program: the standard headers nearly
# every source uses, and the platform's most used headers when target sees them
# (it links the libraries in libs, directly or below). Targets with the same
# headers and flags share one precompiled header, built once by a donor of its
# own; a target that adds headers of its own sets TASKMOOR_OWN_PCH around its
# creation and builds its own.
function(taskmoor_precompile target)
  taskmoor_roots_of_libraries(_roots ${ARGN})
  set(_pch <string> <vector> <memory> <functional> <algorithm> <map> <cstdint>
      <platform/core/sysutils.h> <platform/core/exceptions.h>)
  set(_key core)
  set(_libs platform_core)
  if("${PROJECT_BINARY_DIR}/layers/platform_db" IN_LIST _roots)
    list(APPEND _pch <platform/db/dataset.h> <platform/db/fields.h>)
    set(_key db)
    set(_libs platform_db)
  endif()
  if("${PROJECT_BINARY_DIR}/layers/platform_ui" IN_LIST _roots)
    list(APPEND _pch <platform/ui/forms.h> <platform/ui/stdctrls.h> <platform/ui/application.h>)
    set(_key ui)
    set(_libs platform_ui)
  endif()
  # Test programs add the test helpers and platform headers most tests use.
  get_target_property(_pre ${target} PRECOMPILE_HEADERS)
  if(_pre)
    list(APPEND _pch <support/environment.h> <platform/core/files.h>)
    if(NOT _key STREQUAL core)
      list(APPEND _pch <platform/db/datasource.h>)
    endif()
    if(_key STREQUAL ui)
      list(APPEND _pch <platform/ui/testing.h> <platform/ui/bitmaps.h>)
    endif()
    set(_key test_${_key})
  endif()
  if(TASKMOOR_OWN_PCH)
    target_precompile_headers(${target} PRIVATE ${_pch})
    return()
  endif()
  set(_donor taskmoor_pch_${_key})
  if(NOT TARGET ${_donor})
    set(_stub ${PROJECT_BINARY_DIR}/pch/${_donor}.cpp)
    file(CONFIGURE OUTPUT ${_stub} CONTENT "// Builds the shared precompiled header.\n")
    add_library(${_donor} OBJECT ${_stub})
    taskmoor_roots_of_libraries(_donor_roots ${_libs})
    target_include_directories(${_donor} PRIVATE ${_donor_roots})
    if(_pre)
      target_include_directories(${_donor} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
      target_link_libraries(${_donor} PRIVATE GTest::gtest)
      target_precompile_headers(${_donor} PRIVATE ${_pre})
      taskmoor_test_code(${_donor})
    endif()
    target_precompile_headers(${_donor} PRIVATE ${_pch})
  endif()
  set_property(TARGET ${target} PROPERTY PRECOMPILE_HEADERS)
  target_precompile_headers(${target} REUSE_FROM ${_donor})
endfunction()

# Test code itself is compiled unoptimised and without the fuzzers' coverage
# counters: that halves its build time, and the sanitizers stay on. The
# libraries under test keep the build's own flags.
function(taskmoor_test_code target)
  target_compile_options(${target} PRIVATE -O0)
  if(TASKMOOR_FUZZ)
    target_compile_options(${target} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
endfunction()

# The run folder of test, fuzz and benchmark programs (tests/support/run_folder.cpp),
# compiled once and linked into target.
function(taskmoor_link_run_folder target)
  if(NOT TARGET taskmoor_run_folder)
    add_library(taskmoor_run_folder OBJECT ${PROJECT_SOURCE_DIR}/tests/support/run_folder.cpp)
    target_include_directories(taskmoor_run_folder PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    taskmoor_test_code(taskmoor_run_folder)
  endif()
  target_link_libraries(${target} PRIVATE taskmoor_run_folder)
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
  add_executable(${name} ${_src})
  taskmoor_link_run_folder(${name})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/main.cpp)
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  taskmoor_precompile(${name} ${ARGN})
  taskmoor_test_code(${name})
  add_test(NAME ${name} COMMAND ${name})
  # The time limit only stops a program that hangs: far above what a slow,
  # busy machine takes.
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TASKMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TIMEOUT 3600)
endfunction()
