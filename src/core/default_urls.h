// Default addresses of the data server (the stand-in corvane-dataserver on
// loopback, at its default port) and of the time-zone converter page.
#pragma once

namespace corvane {

inline constexpr int kDefaultDataServerPort = 8642;
inline constexpr const char* kDefaultDataUrl = "http://127.0.0.1:8642/cgi-bin/eggdatareq.pl?z=1";
inline constexpr const char* kDefaultPseudoDataUrl =
    "http://127.0.0.1:8642/pseudoeggs.dir/pseudoeggs/";
inline constexpr const char* kDefaultHomeUrl = "http://127.0.0.1:8642/";
inline constexpr const char* kDefaultTimeZoneUrl =
    "https://www.timeanddate.com/worldclock/converter.html";

}  // namespace corvane
