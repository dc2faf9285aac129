# The package users download: Murmurex-<version>-win64.zip holding Messages.exe with its pages,
# the sample library and settings, and Resmelder.dll with the resmelder tool (64-bit, beside
# the program; 32-bit in x86\); beside it the per-user installer Murmurex-<version>-x64.msi.
# Both are made by
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

# The per-user installer, Murmurex-<version>-x64.msi, beside the ZIP and from the same
# stripped files: once cpack has staged them, cpack_msi.cmake builds it with wixl
# (build_msi.cmake, from murmurex.wxs.in). The upgrade code is the product's for good.
find_program(MURMUREX_WIXL wixl REQUIRED)
find_program(MURMUREX_MSIBUILD msibuild REQUIRED)
find_program(MURMUREX_MSIINFO msiinfo REQUIRED)
set(MURMUREX_MSI_UPGRADE_CODE "{4849039E-66B9-4A3B-BE21-449875686906}")
set(MURMUREX_MSI ${CMAKE_BINARY_DIR}/package/Murmurex-${PROJECT_VERSION}-x64.msi)
set(CPACK_MURMUREX_WIXL ${MURMUREX_WIXL})
set(CPACK_MURMUREX_MSIBUILD ${MURMUREX_MSIBUILD})
set(CPACK_MURMUREX_UPGRADE_CODE ${MURMUREX_MSI_UPGRADE_CODE})
set(CPACK_MURMUREX_WXS_IN ${PROJECT_SOURCE_DIR}/cmake/package/murmurex.wxs.in)
set(CPACK_MURMUREX_ICON_FILE ${PROJECT_SOURCE_DIR}/messages/settings/icons/murmurex.ico)
set(CPACK_MURMUREX_MSI ${MURMUREX_MSI})
set(CPACK_MURMUREX_MSI_WORK_DIR ${CMAKE_BINARY_DIR}/msi)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package/cpack_msi.cmake)
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

# The MSI's tables, read back with msitools; then a newer MSI from the same source
# and the same files, which the installer test upgrades to.
add_test(NAME package_msi_tables
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/cmake/package/check_msi.py
                 ${MURMUREX_MSI} ${PROJECT_VERSION} ${MURMUREX_MSI_UPGRADE_CODE}
                 ${PROJECT_SOURCE_DIR}/samples/library)
set_tests_properties(package_msi_tables PROPERTIES
  LABELS "package" FIXTURES_REQUIRED murmurex_package)

math(EXPR newer_patch "${PROJECT_VERSION_PATCH} + 1")
set(MURMUREX_NEWER_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${newer_patch})
set(MURMUREX_NEWER_MSI
    ${CMAKE_BINARY_DIR}/package-msi-test/Murmurex-${MURMUREX_NEWER_VERSION}-x64.msi)
add_test(NAME package_msi_newer
         COMMAND ${CMAKE_COMMAND}
                 -D WIXL=${MURMUREX_WIXL} -D MSIBUILD=${MURMUREX_MSIBUILD}
                 -D UPGRADE_CODE=${MURMUREX_MSI_UPGRADE_CODE}
                 -D WXS_IN=${PROJECT_SOURCE_DIR}/cmake/package/murmurex.wxs.in
                 -D ICON_FILE=${PROJECT_SOURCE_DIR}/messages/settings/icons/murmurex.ico
                 -D VERSION=${MURMUREX_NEWER_VERSION}
                 -D PROGRAM_DIR=${MURMUREX_PACKAGE_UNPACKED}
                 -D SAMPLE_DIR=${MURMUREX_PACKAGE_UNPACKED}
                 -D OUTPUT=${MURMUREX_NEWER_MSI}
                 -D WORK_DIR=${CMAKE_BINARY_DIR}/package-msi-test
                 -P ${PROJECT_SOURCE_DIR}/cmake/package/build_msi.cmake)
set_tests_properties(package_msi_newer PROPERTIES
  LABELS "package" FIXTURES_REQUIRED murmurex_package FIXTURES_SETUP murmurex_msi)

# The MSI installed, run, upgraded, refused and removed by Wine's msiexec, for this prefix's
# user; the test leaves no product, folder or Run value behind.
murmurex_add_test(package_msi_win_test
                  SOURCES ${PROJECT_SOURCE_DIR}/cmake/package/package_msi_win_test.cpp
                  LIBS common_win msi ole32 shell32 uuid advapi32 RESOURCE_LOCK wine_display
                  TIMEOUT 900)
target_include_directories(package_msi_win_test PRIVATE ${PROJECT_SOURCE_DIR}/resmelder/com
                           ${PROJECT_SOURCE_DIR}/messages/settings)
target_compile_definitions(package_msi_win_test PRIVATE
  PACKAGE_MSI=L"Z:${MURMUREX_MSI}" NEWER_MSI=L"Z:${MURMUREX_NEWER_MSI}"
  PACKAGE_VERSION=L"${PROJECT_VERSION}" NEWER_VERSION=L"${MURMUREX_NEWER_VERSION}"
  UPGRADE_CODE=L"${MURMUREX_MSI_UPGRADE_CODE}")
set_tests_properties(package_msi_win_test PROPERTIES
  LABELS "wine;package" FIXTURES_REQUIRED "murmurex_package;murmurex_msi")
