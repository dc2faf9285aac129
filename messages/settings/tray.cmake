# The tray icon: portable clsTray (target: tray_logic) and, on Windows, the shell service,
# an owner for plain windows and the Explorer-restart watcher (target: tray).
add_library(tray_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/tray.cpp)
target_include_directories(tray_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tray_logic PRIVATE project_options)

murmurex_add_test(tray_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tray_test.cpp LIBS tray_logic)

if(WIN32)
  add_library(tray STATIC ${CMAKE_CURRENT_LIST_DIR}/tray_win.cpp)
  target_include_directories(tray PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(tray PUBLIC tray_logic common_win user32 shell32 PRIVATE project_options)

  # Puts an icon into the one notification area of the Wine prefix.
  murmurex_add_test(tray_win_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tray_win_test.cpp
                    LIBS tray RESOURCE_LOCK wine_display)
endif()

# The application shell's rules: start-up order, tray menu states, watchdog, pages.
add_library(shell_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/shell_controller.cpp)
target_include_directories(shell_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(shell_logic PUBLIC start_up_logic PRIVATE project_options)

murmurex_add_test(shell_controller_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_controller_test.cpp
                  LIBS shell_logic)
murmurex_add_test(settings_layout_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_layout_test.cpp
                  LIBS shell_logic common_portable)
