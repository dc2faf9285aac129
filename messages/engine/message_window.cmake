# Portable message cycle (target: engine_cycle) and, on Windows, the message window.
add_library(engine_cycle STATIC message_cycle.cpp)
target_include_directories(engine_cycle PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(engine_cycle PUBLIC engine_phrases PRIVATE project_options)

murmurex_add_test(message_cycle_test SOURCES message_cycle_test.cpp LIBS engine_cycle)
