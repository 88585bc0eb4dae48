# Run at every build (cmake -P) with SOURCE_DIR and OUTPUT: writes OUTPUT,
# the definition of tw::cli::BuildCommit(), only when the commit changed, so
# that an unchanged checkout rebuilds nothing.
set(commit unknown)
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} describe --always --dirty --abbrev=12 --exclude=*
        OUTPUT_VARIABLE described RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET)
    if(NOT failed AND described MATCHES "^[0-9a-f]+(-dirty)?$")
        set(commit ${described})
    endif()
endif()
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT [[
// Written by cmake/build_commit.cmake at build time.
#include "cli/build_commit.h"

const char* tw::cli::BuildCommit()
{
    return "@commit@";
}
]] @ONLY)
