# Every target of the project builds with these warnings, and warnings are errors in CI.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)
if(DEFINED ENV{CI})
  add_compile_options(-Werror)
endif()
