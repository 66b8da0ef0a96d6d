# Run by CPack after staging the files of a package, to finish them as
# Debian's own tools would.  Manual pages and the changelog are gzipped;
# gzip -n leaves out the file's name and time, so that the same sources
# give the same package.  Programs, already stripped, lose the .comment
# section, which holds only the compiler's version.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
file(GLOB_RECURSE changelogs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(file IN LISTS pages changelogs)
	execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
	if(failed)
		message(FATAL_ERROR "gzip failed on ${file}")
	endif()
endforeach()

file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
	if(CPACK_UNTRANSPOSE_OBJCOPY)
		execute_process(COMMAND "${CPACK_UNTRANSPOSE_OBJCOPY}" --remove-section=.comment --remove-section=.note
			"${program}" RESULT_VARIABLE failed)
		if(failed)
			message(FATAL_ERROR "objcopy failed on ${program}")
		endif()
	endif()
endforeach()
