# Warnings are set per target so that third-party code keeps its own flags.
# CI builds (the release, asan and windows presets) turn them into errors; a plain configure does not,
# so that a newer compiler's new warning never stops someone building from a source tarball.
option(PLATE_WARNINGS_AS_ERRORS "Treat compiler warnings in the project's own targets as errors" OFF)

function(plate_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${PLATE_WARNINGS_AS_ERRORS}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                             $<$<BOOL:${PLATE_WARNINGS_AS_ERRORS}>:-Werror>)
  endif()
endfunction()
