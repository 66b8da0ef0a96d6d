#include "arguments.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

char **begin_program(int argc, char **argv)
{
	// Bytes in and out, as on every other system, --help and --version too.
	_setmode(_fileno(stdin), _O_BINARY);
	_setmode(_fileno(stdout), _O_BINARY);
	int count = 0;
	wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
	if (wide == nullptr)
		return argv;
	static std::vector<std::string> held;
	static std::vector<char *> pointers;
	if (count == argc) {
		for (int i = 0; i < count; i++) {
			const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
			std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
			if (size > 0)
				WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
			text.resize(text.size() - 1);
			held.push_back(std::move(text));
		}
		for (std::string &text : held)
			pointers.push_back(text.data());
		pointers.push_back(nullptr);
	}
	LocalFree(wide);
	return pointers.empty() ? argv : pointers.data();
}

#else

char **begin_program(int, char **argv)
{
	return argv;
}

#endif
