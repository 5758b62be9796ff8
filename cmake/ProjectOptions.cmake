# Warnings and sanitizers for the project's own targets.
function(pw_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # Texts are converted on purpose, never by accident; no Qt keyword macros, no Q_FOREACH.
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS QT_NO_FOREACH)
  if(PW_SANITIZE)
    # vptr is named although undefined implies it: it is the check that reports a call into an object
    # whose destructor has begun, the fault an optimized build turns into a crash.
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined,vptr -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
    # GCC's flow warnings read the sanitizers' own instrumentation at -O2 and report bounds and
    # overflows in Qt's inline code that are not there; the sanitizers check those accesses at run time.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow
        -Wno-stringop-overread -Wno-maybe-uninitialized)
    endif()
    target_link_options(${target} PRIVATE -fsanitize=address,undefined,vptr)
    # The sanitized tree is the one the tests run in: it keeps its assertions although optimized.
    target_compile_definitions(${target} PRIVATE QT_FORCE_ASSERTS)
  endif()
endfunction()

# Every source and header below a folder, picked up as files are added.
function(pw_collect_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
      "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.ui")
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
