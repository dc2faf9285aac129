# Portable phrase library and pool (target: engine_phrases). The file layer is picked per
# platform; everything else is the same code on both.
add_library(engine_phrases STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ansi_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/check_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phrase_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phrase_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phrase_pool.cpp)
# Text is UTF-8 inside; the files keep the system's code page where they can.
target_sources(engine_phrases PRIVATE ${CMAKE_CURRENT_LIST_DIR}/unicode_text.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/text_file_encoding.cpp)
target_include_directories(engine_phrases PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(engine_phrases PRIVATE common_unicode project_options)
if(WIN32)
  target_sources(engine_phrases PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_access_win.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/text_code_page_win.cpp)
  target_link_libraries(engine_phrases PRIVATE common_win)
else()
  target_sources(engine_phrases PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_access_posix.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/text_code_page_posix.cpp)
endif()

# The portable tests run natively and, in the Windows build, under Wine against the Win32
# file layer.
murmurex_add_test(engine_phrases_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ansi_text_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/phrase_pool_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/phrase_library_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/file_access_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/text_file_encoding_test.cpp
  LIBS engine_phrases)
if(WIN32)
  murmurex_add_test(engine_phrases_win_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_access_win_test.cpp
    LIBS engine_phrases common_win)
endif()
