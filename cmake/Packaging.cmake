# The package users download: Murmurex-<version>-win64.zip holding Messages.exe with its pages,
# the sample library and settings, and Resmelder.dll with the resmelder tool (64-bit, beside
# the program; 32-bit in x86\). Made by
#   cmake --build --preset windows --target package
# The binaries are installed stripped; the windows preset builds them optimized (-O2).
if(NOT WIN32 OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()  # the 32-bit build only serves the package below, from its own folder
endif()

install(TARGETS Messages Resmelder resmelder_tool RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES ${MURMUREX_PAGES} DESTINATION .)

# The 32-bit Resmelder.dll and its tool, for 32-bit hosts, in the package's x86\ folder. They
# are built by the windows-x86 preset (its own build folder), stripped here into a staging
# folder and installed from there.
find_program(MURMUREX_STRIP32 NAMES i686-w64-mingw32-strip REQUIRED)
set(MURMUREX_X86_BUILD ${PROJECT_SOURCE_DIR}/build/windows-x86)
set(MURMUREX_X86_STAGE ${CMAKE_BINARY_DIR}/x86-stage)
add_custom_target(resmelder_x86 ALL
  COMMAND ${CMAKE_COMMAND} --preset windows-x86
  COMMAND ${CMAKE_COMMAND} --build --preset windows-x86
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MURMUREX_X86_STAGE}
  COMMAND ${MURMUREX_STRIP32} -o ${MURMUREX_X86_STAGE}/Resmelder.dll
          ${MURMUREX_X86_BUILD}/resmelder/com/Resmelder.dll
  COMMAND ${MURMUREX_STRIP32} -o ${MURMUREX_X86_STAGE}/resmelder.exe
          ${MURMUREX_X86_BUILD}/resmelder/tool/resmelder.exe
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Building the 32-bit Resmelder.dll and resmelder.exe (preset windows-x86)")
install(PROGRAMS ${MURMUREX_X86_STAGE}/Resmelder.dll ${MURMUREX_X86_STAGE}/resmelder.exe
        DESTINATION x86)
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
target_include_directories(package_win_test PRIVATE ${PROJECT_SOURCE_DIR}/messages/settings)
set_tests_properties(package_win_test PROPERTIES FIXTURES_REQUIRED murmurex_package)
