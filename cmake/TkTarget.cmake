# Per-target settings shared by every target of the tree: warnings, and the
# sanitizers chosen with -DTK_SANITIZE=address,undefined.
function(tk_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TK_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${TK_SANITIZE} -fno-omit-frame-pointer
                                             -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=${TK_SANITIZE})
  endif()
endfunction()

# One GoogleTest executable per area; every test case becomes a CTest test.
function(tk_add_gtest name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  add_executable(${name} ${T_SOURCES})
  tk_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TK_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
  gtest_discover_tests(${name} PROPERTIES LABELS ${T_LABEL} DISCOVERY_TIMEOUT 30)
endfunction()
