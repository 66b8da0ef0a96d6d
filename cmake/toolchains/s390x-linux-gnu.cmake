# 64-bit big-endian IBM Z Linux (Debian: g++-s390x-linux-gnu, qemu-user).
set(CROSS_TRIPLET s390x-linux-gnu)
set(CROSS_PROCESSOR s390x)
set(CROSS_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
