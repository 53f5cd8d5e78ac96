# One static library per layer and subsystem; sources are every .cpp in the folder.
# A folder without sources yet gives an interface library, so dependants still link.
function(taskmoor_library name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(_src)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    if(ARGN)
      target_link_libraries(${name} PUBLIC ${ARGN})
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    if(ARGN)
      target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
  endif()
endfunction()

# One test program per subsystem: every .cpp in the test folder, run under CTest.
# A folder with its own main.cpp (visual tests that need an application object)
# links plain GoogleTest instead of its default main.
function(taskmoor_tests name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/main.cpp)
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector> <functional> <memory>)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TASKMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TIMEOUT 600)
endfunction()
