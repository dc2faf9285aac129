# The settings file "__.__" (target: engine_settings): its line format and the load and save
# logic the settings window drives through the SettingsControls interface.
add_library(engine_settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/settings_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_store.cpp)
target_include_directories(engine_settings PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(engine_settings PUBLIC engine_phrases common_portable PRIVATE project_options)

murmurex_add_test(engine_settings_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_format_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/settings_store_test.cpp
  LIBS engine_settings)
if(NOT CMAKE_CROSSCOMPILING)
  # The settings file shipped with the sample library is read like any other.
  target_compile_definitions(engine_settings_test PRIVATE
    SAMPLE_LIBRARY_DIR="${PROJECT_SOURCE_DIR}/samples/library")
endif()

if(WIN32)
  # The system-colour lookup the settings window hands to SettingsStore.
  add_library(engine_settings_win STATIC ${CMAKE_CURRENT_LIST_DIR}/system_colour_win.cpp)
  target_include_directories(engine_settings_win PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(engine_settings_win PUBLIC engine_settings user32
                                            PRIVATE project_options)

  murmurex_add_test(engine_settings_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/system_colour_win_test.cpp
    LIBS engine_settings_win)
endif()
