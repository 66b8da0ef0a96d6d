#include "terminal.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

bool standard_error_is_terminal() noexcept
{
#if defined(_WIN32)
	return _isatty(2) != 0;
#else
	return isatty(2) != 0;
#endif
}
