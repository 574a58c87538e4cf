# GoogleTest from the sources Debian's googletest package installs, built in
# each tree with that tree's compiler (mingw-w64 or the native one).
set(TVN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TVN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# tvn_add_gtest(NAME SOURCES src... [LIBS lib...] [LABELS label...] [TIMEOUT s])
# One test executable is one ctest test: under Wine a process start costs far
# more than a test case, so cases are never registered one by one.
function(tvn_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${TVN_TEST_PREFIX}${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${TVN_TEST_PREFIX}${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()
