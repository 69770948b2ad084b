#pragma once
// Calendar arithmetic without the C library's time zone: days since 1970-01-01
// of a proleptic Gregorian date (H. Hinnant's algorithm).
namespace importer {

inline long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace importer
