# The tab strip family: portable model and pictures (target: controls_tabs_logic) and, on
# Windows, the child windows that show them (target: controls_tabs).
add_library(controls_tabs_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/tab_strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tab_pictures.cpp)
target_include_directories(controls_tabs_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(controls_tabs_logic PRIVATE common_portable project_options)

murmurex_add_test(tab_strip_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tab_strip_test.cpp
                  LIBS controls_tabs_logic)

if(NOT CMAKE_CROSSCOMPILING)
  # Redraws the committed pictures: tab_picture_gen messages/controls/tab_pictures
  add_executable(tab_picture_gen ${CMAKE_CURRENT_LIST_DIR}/tab_picture_gen.cpp)
  target_link_libraries(tab_picture_gen PRIVATE controls_tabs_logic project_options)

  murmurex_add_test(tab_pictures_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tab_pictures_test.cpp
                    LIBS controls_tabs_logic)
  target_compile_definitions(tab_pictures_test PRIVATE
    TAB_PICTURES_DIR="${CMAKE_CURRENT_LIST_DIR}/tab_pictures")
endif()

if(WIN32)
  enable_language(RC)
  add_library(controls_tabs STATIC ${CMAKE_CURRENT_LIST_DIR}/tab_strip_win.cpp)
  # The pictures are bitmap resources of the program itself: every executable that links
  # the strip compiles them in (a resource object inside a static library would be dropped).
  target_sources(controls_tabs INTERFACE ${CMAKE_CURRENT_LIST_DIR}/tab_pictures.rc)
  target_include_directories(controls_tabs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(controls_tabs PUBLIC controls_tabs_logic common_win user32 gdi32
                                      PRIVATE project_options)

  murmurex_add_test(tab_strip_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tab_strip_win_test.cpp
    LIBS controls_tabs RESOURCE_LOCK wine_display)
endif()
