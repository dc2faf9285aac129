# The styled button: portable logic and painting (controls_button_logic), the Win32 control
# (controls_button) and their tests.
set(_button_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(controls_button_logic STATIC
  ${_button_dir}/colour.cpp
  ${_button_dir}/canvas.cpp
  ${_button_dir}/canvas_pixels.cpp
  ${_button_dir}/button_layout.cpp
  ${_button_dir}/button_paint.cpp
  ${_button_dir}/button_paint_shades.cpp
  ${_button_dir}/button_icon_image.cpp
  ${_button_dir}/button_icon.cpp
  ${_button_dir}/button_paint_edges.cpp
  ${_button_dir}/button_paint_gradient.cpp
  ${_button_dir}/button_paint_theme.cpp
  ${_button_dir}/button_property_bag.cpp
  ${_button_dir}/styled_button.cpp
  ${_button_dir}/styled_button_paint.cpp)
target_include_directories(controls_button_logic PUBLIC ${_button_dir})
target_link_libraries(controls_button_logic PUBLIC common_portable PRIVATE project_options)

murmurex_add_test(controls_button_test
  SOURCES ${_button_dir}/colour_test.cpp
          ${_button_dir}/canvas_test.cpp
          ${_button_dir}/button_layout_test.cpp
          ${_button_dir}/button_paint_test.cpp
          ${_button_dir}/button_paint_shades_test.cpp
          ${_button_dir}/button_icon_test.cpp
          ${_button_dir}/button_paint_edges_test.cpp
          ${_button_dir}/button_paint_gradient_test.cpp
          ${_button_dir}/button_paint_theme_test.cpp
          ${_button_dir}/styled_button_test.cpp
  LIBS controls_button_logic)

if(WIN32)
  add_library(controls_button STATIC
    ${_button_dir}/canvas_gdi_win.cpp
    ${_button_dir}/styled_button_win.cpp
    ${_button_dir}/styled_button_services_win.cpp
    ${_button_dir}/about_win.cpp
    ${_button_dir}/button_icon_win.cpp
    ${_button_dir}/button_paint_theme_win.cpp)
  target_include_directories(controls_button PUBLIC ${_button_dir})
  # uxtheme is taken at run time from the system folder, never imported.
  target_link_libraries(controls_button PUBLIC controls_button_logic common_win user32 gdi32
                                        comctl32 shell32 PRIVATE project_options)

  # Real windows, real input: they take the pointer and the foreground window.
  murmurex_add_test(styled_button_win_test
    SOURCES ${_button_dir}/styled_button_win_test.cpp
    LIBS controls_button RESOURCE_LOCK wine_display)
  murmurex_add_test(button_shades_win_test
    SOURCES ${_button_dir}/button_shades_win_test.cpp
    LIBS controls_button RESOURCE_LOCK wine_display)
  murmurex_add_test(button_paint_win_test
    SOURCES ${_button_dir}/button_paint_win_test.cpp
    LIBS controls_button uxtheme RESOURCE_LOCK wine_display)
endif()
