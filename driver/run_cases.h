// The case loop: reads key and text lines until the key 0 and writes one
// decoded line per case.
#ifndef UNTRANSPOSE_RUN_CASES_H
#define UNTRANSPOSE_RUN_CASES_H

#include <cstddef>

// Where the loop gets its bytes.  `read` stores up to `size` bytes and
// returns how many, 0 at the end of input, or -1 on an error.  It may
// block; the loop hands over every finished line before calling it.
// When the run ends at the key 0, `give_back`, if set, is told how many of
// the bytes read lie past the key's last digit, so that a source that can
// seek leaves them to whoever reads it next.
struct byte_source {
	long (*read)(void *context, char *buffer, std::size_t size) noexcept;
	void *context;
	void (*give_back)(void *context, std::size_t unused) noexcept = nullptr;
};

// Where the loop puts its lines.  `write` takes all `size` bytes or
// returns false.
struct byte_sink {
	bool (*write)(void *context, const char *bytes, std::size_t size) noexcept;
	void *context;
};

// Exit statuses.  The program prints no messages, so the status is all
// that tells a caller whether the run went wrong.
inline constexpr int RUN_OK = 0;
inline constexpr int RUN_FAILED = 1;

// Runs every case of `input`, writing to `output`.  Input past the key 0 is
// not read, or is given back.  Returns RUN_OK when the
// stream ends with the key 0 or where a key line belongs, and RUN_FAILED on
// a read or write error, a key line without a number after the first case,
// or when its buffers cannot be allocated.
[[nodiscard]] int run_cases(byte_source input, byte_sink output) noexcept;

// The same on standard input and standard output.
[[nodiscard]] int run_cases() noexcept;

#endif
