# The package users download: Murmurex-<version>-win64.zip holding Messages.exe with its pages,
# the sample library and settings, and Resmelder.dll with the resmelder tool. Made by
#   cmake --build --preset windows --target package
# The binaries are installed stripped; the windows preset builds them optimized (-O2).
if(NOT WIN32)
  return()
endif()

install(TARGETS Messages Resmelder resmelder_tool RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES ${MURMUREX_PAGES} DESTINATION .)
# Lists/, the selection file _._ and the settings file __.__, byte for byte.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/library/ DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Murmurex)
set(CPACK_PACKAGE_VENDOR "Murmurex developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(MURMUREX_PACKAGE_NAME "Murmurex-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_FILE_NAME ${MURMUREX_PACKAGE_NAME})
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)

# Makes the package afresh, unpacks it and checks its contents; then the program is started
# from the unpacked folder under Wine (messages/settings/package_win_test).
set(MURMUREX_PACKAGE_UNPACKED ${CMAKE_BINARY_DIR}/package-test/${MURMUREX_PACKAGE_NAME})
add_test(NAME package_contents
         COMMAND ${CMAKE_COMMAND}
                 -D BINARY_DIR=${CMAKE_BINARY_DIR}
                 -D PACKAGE=${CMAKE_BINARY_DIR}/package/${MURMUREX_PACKAGE_NAME}.zip
                 -D UNPACK_DIR=${CMAKE_BINARY_DIR}/package-test
                 -D UNPACKED=${MURMUREX_PACKAGE_UNPACKED}
                 -D OBJDUMP=${CMAKE_OBJDUMP}
                 -P ${PROJECT_SOURCE_DIR}/cmake/package/check_package.cmake)
set_tests_properties(package_contents PROPERTIES
  LABELS "wine;package" FIXTURES_SETUP murmurex_package RESOURCE_LOCK murmurex_package)

murmurex_add_test(package_win_test SOURCES ${PROJECT_SOURCE_DIR}/cmake/package/package_win_test.cpp
                  LIBS common_win RESOURCE_LOCK wine_display)
target_compile_definitions(package_win_test PRIVATE
  PACKAGE_DIR=L"Z:${MURMUREX_PACKAGE_UNPACKED}")
set_tests_properties(package_win_test PROPERTIES FIXTURES_REQUIRED murmurex_package)
