# The styled button: portable logic and painting (controls_button_logic), the Win32 control
# (controls_button), the demonstration program (controls-demo) and their tests.
set(_button_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(controls_button_logic STATIC
  ${_button_dir}/colour.cpp
  ${_button_dir}/canvas.cpp
  ${_button_dir}/canvas_pixels.cpp
  ${_button_dir}/button_layout.cpp
  ${_button_dir}/button_paint.cpp
  ${_button_dir}/button_property_bag.cpp
  ${_button_dir}/styled_button.cpp)
target_include_directories(controls_button_logic PUBLIC ${_button_dir})
target_link_libraries(controls_button_logic PRIVATE project_options)

murmurex_add_test(controls_button_test
  SOURCES ${_button_dir}/colour_test.cpp
          ${_button_dir}/canvas_test.cpp
          ${_button_dir}/button_layout_test.cpp
          ${_button_dir}/button_paint_test.cpp
          ${_button_dir}/styled_button_test.cpp
  LIBS controls_button_logic)
