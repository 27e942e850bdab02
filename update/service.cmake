# The update service proxy over the SOAP client (included by CMakeLists.txt).
add_library(update_service STATIC ${CMAKE_CURRENT_LIST_DIR}/service.cpp)
target_include_directories(update_service PUBLIC ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(update_service PUBLIC soap project_options)
