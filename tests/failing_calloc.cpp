// Preloaded into the program to make its start-up allocation fail.
#include <cstddef>

extern "C" void *calloc(std::size_t, std::size_t)
{
	return nullptr;
}
