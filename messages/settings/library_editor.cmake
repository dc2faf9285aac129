# Editing the phrase library on the Messages page: buttons, key filters, add/edit modes
# (target: library_editing). The tests run natively and, in the Windows build, under Wine
# against the Win32 file layer.
add_library(library_editing STATIC ${CMAKE_CURRENT_LIST_DIR}/library_editor.cpp)
target_include_directories(library_editing PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(library_editing PUBLIC engine_phrases PRIVATE project_options)

murmurex_add_test(library_editor_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_editor_test.cpp
                  LIBS library_editing)
