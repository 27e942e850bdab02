# Boost is header-only here. The cross compiler must not see /usr/include (the
# glibc headers would leak into the Windows build), so it gets a folder that
# holds nothing but a link to Debian's boost headers.
set(BOOST_HEADERS_DIR /usr/include/boost CACHE PATH "Debian's boost headers")
if(NOT EXISTS ${BOOST_HEADERS_DIR}/version.hpp)
  message(FATAL_ERROR "Boost headers not found in ${BOOST_HEADERS_DIR} (apt-get install libboost-dev)")
endif()
set(BOOST_LINK_DIR ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${BOOST_LINK_DIR})
file(CREATE_LINK ${BOOST_HEADERS_DIR} ${BOOST_LINK_DIR}/boost SYMBOLIC)
add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${BOOST_LINK_DIR})
