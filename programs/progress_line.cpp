#include "progress_line.h"

#include "terminal.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

progress_line::progress_line(bool wanted) : on_(wanted && standard_error_is_terminal()) {}

void progress_line::show(const char *format, ...) noexcept
{
	if (!on_)
		return;
	std::fputc('\r', stderr);
	va_list arguments;
	va_start(arguments, format);
	const int length = std::vfprintf(stderr, format, arguments);
	va_end(arguments);
	// Whatever is left of a longer line before is cleared.
	if (length < shown_)
		std::fprintf(stderr, "%*s", shown_ - length, "");
	shown_ = std::max(shown_, length);
}

void progress_line::clear() noexcept
{
	if (!on_ || shown_ == 0)
		return;
	std::fprintf(stderr, "\r%*s\r", shown_, "");
	shown_ = 0;
}
