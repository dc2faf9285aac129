# What the program shows about itself: its version (read from its own version resource) and
# its icons (drawn by app_icon_gen, committed under icons/). Portable part: app_info_logic;
# on Windows the resource reader (app_version) and the resources every build of the
# program compiles in (messages_resources).
add_library(app_info_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/app_version.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_icons.cpp)
target_include_directories(app_info_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(app_info_logic PRIVATE common_portable project_options)

murmurex_add_test(app_version_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_version_test.cpp
                  LIBS app_info_logic)

if(NOT CMAKE_CROSSCOMPILING)
  # Redraws the committed icons: app_icon_gen messages/settings/icons
  add_executable(app_icon_gen ${CMAKE_CURRENT_LIST_DIR}/app_icon_gen.cpp)
  target_link_libraries(app_icon_gen PRIVATE app_info_logic project_options)

  murmurex_add_test(app_icons_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_icons_test.cpp
                    LIBS app_info_logic)
  target_compile_definitions(app_icons_test PRIVATE
    APP_ICONS_DIR="${CMAKE_CURRENT_LIST_DIR}/icons")
endif()

if(WIN32)
  enable_language(RC)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/version.rc @ONLY)

  # The manifest of every program with windows (Messages.exe, controls-demo.exe): common
  # controls 6, per-monitor DPI awareness, the supported systems. Compiled once; the object
  # goes into each program that links this.
  add_library(program_manifest OBJECT ${CMAKE_CURRENT_LIST_DIR}/program_manifest.rc)
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/program_manifest.rc APPEND PROPERTY
               OBJECT_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/program.manifest)

  # The manifest as the loader reads it from both programs.
  murmurex_add_test(program_manifest_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/program_manifest_win_test.cpp LIBS common_win)
  add_dependencies(program_manifest_win_test Messages controls-demo)
  target_compile_definitions(program_manifest_win_test PRIVATE
    MESSAGES_EXE_PATH=L"Z:${CMAKE_BINARY_DIR}/messages/Messages.exe"
    CONTROLS_DEMO_EXE_PATH=L"Z:${CMAKE_BINARY_DIR}/messages/demo/controls-demo.exe")

  # Resource scripts go into the executable itself (one inside a static library would be
  # dropped): a target that links this compiles them in.
  add_library(messages_resources INTERFACE)
  target_sources(messages_resources INTERFACE
    ${CMAKE_CURRENT_LIST_DIR}/app_icons.rc
    ${CMAKE_CURRENT_BINARY_DIR}/version.rc)
  target_include_directories(messages_resources INTERFACE ${CMAKE_CURRENT_LIST_DIR})

  add_library(app_version STATIC ${CMAKE_CURRENT_LIST_DIR}/app_version_win.cpp)
  target_include_directories(app_version PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(app_version PUBLIC app_info_logic PRIVATE project_options)

  # Reads its own resources (the same scripts as the program's) and Messages.exe's.
  murmurex_add_test(app_version_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_version_win_test.cpp
    LIBS app_version messages_resources version user32 gdi32)
  add_dependencies(app_version_win_test Messages)
  target_compile_definitions(app_version_win_test PRIVATE
    MESSAGES_EXE_PATH=L"Z:${CMAKE_BINARY_DIR}/messages/Messages.exe"
    PROJECT_MAJOR=${PROJECT_VERSION_MAJOR} PROJECT_MINOR=${PROJECT_VERSION_MINOR}
    PROJECT_PATCH=${PROJECT_VERSION_PATCH})
endif()
