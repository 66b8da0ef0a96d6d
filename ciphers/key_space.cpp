#include "key_space.h"

namespace {

// log10 n, rounded to the millionth, for n from 1 to 100.
constexpr std::int32_t LOG10[101] = {
    0,       0,       301030,  477121,  602060,  698970,  778151,  845098,  903090,  954243,  1000000, 1041393,
    1079181, 1113943, 1146128, 1176091, 1204120, 1230449, 1255273, 1278754, 1301030, 1322219, 1342423, 1361728,
    1380211, 1397940, 1414973, 1431364, 1447158, 1462398, 1477121, 1491362, 1505150, 1518514, 1531479, 1544068,
    1556303, 1568202, 1579784, 1591065, 1602060, 1612784, 1623249, 1633468, 1643453, 1653213, 1662758, 1672098,
    1681241, 1690196, 1698970, 1707570, 1716003, 1724276, 1732394, 1740363, 1748188, 1755875, 1763428, 1770852,
    1778151, 1785330, 1792392, 1799341, 1806180, 1812913, 1819544, 1826075, 1832509, 1838849, 1845098, 1851258,
    1857332, 1863323, 1869232, 1875061, 1880814, 1886491, 1892095, 1897627, 1903090, 1908485, 1913814, 1919078,
    1924279, 1929419, 1934498, 1939519, 1944483, 1949390, 1954243, 1959041, 1963788, 1968483, 1973128, 1977724,
    1982271, 1986772, 1991226, 1995635, 2000000};

// -log10 ln 2 and log10 2, in millionths.
constexpr std::int64_t LOG10_ONE_OVER_LN2 = 159175;
constexpr std::int64_t LOG10_2 = 301030;

} // namespace

std::int64_t log10_millionths(std::int64_t n) noexcept
{
	std::int64_t tens = 0;
	for (; n > 100; n /= 10)
		tens += 1000000;
	return tens + (n < 1 ? 0 : LOG10[n]);
}

std::int64_t log10_factorial_millionths(std::int64_t n) noexcept
{
	std::int64_t sum = 0;
	for (std::int64_t k = 2; k <= n; k++)
		sum += log10_millionths(k);
	return sum;
}

std::int64_t log10_tied_orders_millionths(std::int64_t n) noexcept
{
	// The ordered Bell number of n is n! / (2 (ln 2)^(n + 1)), nearly.
	if (n < 2)
		return 0;
	return log10_factorial_millionths(n) - LOG10_2 + (n + 1) * LOG10_ONE_OVER_LN2;
}
