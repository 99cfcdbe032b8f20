# GoogleTest for Windows, built from the source Debian's googletest package installs.
set(GLIMTAP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(gtest_disable_pthreads OFF)
set(INSTALL_GTEST OFF)
add_subdirectory(${GLIMTAP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  # Not our code: our warnings (errors in CI) are not its business.
  target_compile_options(${target} PRIVATE -w)
endforeach()
