# The hardening Debian builds its packages with: fortified libc calls, the
# strong stack protector, position-independent executables and read-only
# relocations bound at start-up.  Each flag is checked first, since not
# every toolchain knows it.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

# Checked by linking a function that the protector guards: some toolchains
# compile with it but lack the library it calls on failure.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fstack-protector-strong)
set(CMAKE_REQUIRED_LINK_OPTIONS -fstack-protector-strong)
check_cxx_source_compiles("
#include <cstring>
int main(int argc, char **argv) { char copy[64]; std::strncpy(copy, argv[0], sizeof copy); return copy[argc % 64]; }"
	UNTRANSPOSE_HAS_STACK_PROTECTOR)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(UNTRANSPOSE_HAS_STACK_PROTECTOR)
	target_compile_options(untranspose_flags INTERFACE -fstack-protector-strong)
	target_link_options(untranspose_flags INTERFACE -fstack-protector-strong)
endif()

# Fortification works only where the compiler optimises.
check_cxx_compiler_flag(-D_FORTIFY_SOURCE=2 UNTRANSPOSE_HAS_FORTIFY)
if(UNTRANSPOSE_HAS_FORTIFY)
	target_compile_definitions(untranspose_flags INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()

check_pie_supported(OUTPUT_VARIABLE pie_problem LANGUAGES CXX)
if(CMAKE_CXX_LINK_PIE_SUPPORTED)
	set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()

foreach(option relro now)
	check_linker_flag(CXX LINKER:-z,${option} UNTRANSPOSE_HAS_Z_${option})
	if(UNTRANSPOSE_HAS_Z_${option})
		target_link_options(untranspose_flags INTERFACE LINKER:-z,${option})
	endif()
endforeach()
