# Editing the phrase library on the Messages page: buttons, key filters, add/edit modes
# (target: library_editing). The tests run natively and, in the Windows build, under Wine
# against the Win32 file layer.
add_library(library_editing STATIC ${CMAKE_CURRENT_LIST_DIR}/library_editor.cpp)
target_include_directories(library_editing PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(library_editing PUBLIC engine_phrases PRIVATE project_options)

murmurex_add_test(library_editor_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_editor_test.cpp
                  LIBS library_editing)

if(WIN32)
  # The real program with phrases and names in Greek and Japanese, and Delete after a click
  # that leaves no row selected.
  murmurex_add_test(library_scripts_win_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_scripts_win_test.cpp
                    LIBS common_win RESOURCE_LOCK wine_display)
  add_dependencies(library_scripts_win_test Messages)
  # The flashed phrase is compared with the message window tests' rendering.
  target_include_directories(library_scripts_win_test PRIVATE ${PROJECT_SOURCE_DIR}/messages/engine)
  target_compile_definitions(library_scripts_win_test PRIVATE
    MESSAGES_EXE_PATH=L"Z:${CMAKE_BINARY_DIR}/messages/Messages.exe")
endif()
