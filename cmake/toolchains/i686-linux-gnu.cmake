# 32-bit x86 Linux (Debian: g++-i686-linux-gnu, qemu-user).  The cross
# compiler rather than -m32, since Debian's multilib packages cannot be
# installed beside the other cross compilers.
set(CROSS_TRIPLET i686-linux-gnu)
set(CROSS_PROCESSOR i686)
set(CROSS_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# Under qemu-i386 a dynamically linked 32-bit program hangs in fork, in
# the child, before it returns; statically linked ones fork as they should.
# The tests fork to start the filter, so everything is linked statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
