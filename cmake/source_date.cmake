# Packages built from one commit are byte for byte the same: CPack stamps
# its archives with SOURCE_DATE_EPOCH, as Debian's builders set it, and
# where it is not set, with the time of the last commit.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_source_date.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
	execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
		WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
		OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
	if(commit_time MATCHES "^[0-9]+$")
		file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
			"if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n\tset(ENV{SOURCE_DATE_EPOCH} ${commit_time})\nendif()\n")
	endif()
endif()
