# Run by CPack after staging the files of a package: Debian packages carry
# their manual pages gzip-compressed, as man(1) expects them there.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
foreach(page IN LISTS pages)
	file(ARCHIVE_CREATE OUTPUT "${page}.gz" PATHS "${page}" FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
	file(REMOVE "${page}")
endforeach()
