# 64-bit ARM Linux (Debian: g++-aarch64-linux-gnu, qemu-user).
set(CROSS_TRIPLET aarch64-linux-gnu)
set(CROSS_PROCESSOR aarch64)
set(CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
