#include "run_cases.h"

int main()
{
	return run_cases();
}
