# Start-up steps that need no window: the first-run test, the pending data-file replacement
# and the seeding of an installed copy's library (target: start_up_logic). The tests run
# natively and, in the Windows build, under Wine against the Win32 file layer.
add_library(start_up_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/start_up.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/library_seed.cpp)
target_include_directories(start_up_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(start_up_logic PUBLIC engine_phrases PRIVATE project_options)

murmurex_add_test(start_up_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/start_up_test.cpp
                  LIBS start_up_logic)
murmurex_add_test(library_seed_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_seed_test.cpp
                  LIBS start_up_logic)
