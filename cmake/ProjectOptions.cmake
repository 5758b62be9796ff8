# Warnings and sanitizers for the project's own targets.
function(pw_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # Texts are converted on purpose, never by accident; no Qt keyword macros, no Q_FOREACH.
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS QT_NO_FOREACH)
  if(PW_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
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
