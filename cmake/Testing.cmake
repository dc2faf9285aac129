# GoogleTest for both builds, and one helper to declare a test program (with the shared test
# support, common/testing).
#
# Native tests are discovered case by case. Windows tests run as one ctest entry per program:
# each run starts a Wine process, and one per test case would multiply that cost.
include(GoogleTest)

if(WIN32)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/script/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix)
else()
  find_package(GTest REQUIRED)
endif()

# murmurex_add_test(NAME SOURCES ... [LIBS ...] [LABELS ...] [RESOURCE_LOCK name]
#                   [TIMEOUT seconds])   (native: per test case; Windows: for the program)
function(murmurex_add_test name)
  cmake_parse_arguments(T "" "RESOURCE_LOCK;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} common_testing GTest::gtest GTest::gmock
                                        GTest::gtest_main project_options)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}")
    if(T_RESOURCE_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${T_RESOURCE_LOCK})
    endif()
    if(T_TIMEOUT)
      set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
  else()
    set(timeout_property "")
    if(T_TIMEOUT)
      set(timeout_property TIMEOUT ${T_TIMEOUT})
    endif()
    gtest_discover_tests(${name} PROPERTIES LABELS "native;${T_LABELS}" ${timeout_property})
  endif()
endfunction()
