# Portable message cycle (target: engine_cycle) and, on Windows, the message window
# (target: engine_window).
add_library(engine_cycle STATIC ${CMAKE_CURRENT_LIST_DIR}/message_cycle.cpp)
target_include_directories(engine_cycle PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(engine_cycle PUBLIC engine_phrases common_portable PRIVATE project_options)

murmurex_add_test(message_cycle_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_cycle_test.cpp
                  LIBS engine_cycle)

if(WIN32)
  add_library(engine_window STATIC
    ${CMAKE_CURRENT_LIST_DIR}/message_window_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/transparent_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_timers_win.cpp)
  # The label is sized by its text's ink.
  target_sources(engine_window PRIVATE ${CMAKE_CURRENT_LIST_DIR}/text_ink_win.cpp)
  target_include_directories(engine_window PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  # The settings file's duration and frequency ranges bound the two timers.
  target_link_libraries(engine_window PUBLIC engine_cycle engine_settings screen common_win user32
                                      gdi32 winmm PRIVATE project_options)

  murmurex_add_test(window_timers_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_timers_win_test.cpp LIBS engine_window)
  # Both take the display's foreground window and pixels: never beside another GUI test.
  murmurex_add_test(message_window_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_window_win_test.cpp
    LIBS engine_window RESOURCE_LOCK wine_display)
  murmurex_add_test(message_screenshot_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_screenshot_win_test.cpp
    LIBS engine_window RESOURCE_LOCK wine_display)
endif()
