// The maker's web pages. Every address the program opens is built from the
// one host name below; change it here and nowhere else.
#pragma once
#include <string>

namespace vt {

inline constexpr const char* kProductWebHost = "www.quorvane.com";

// Pages on that host.
inline constexpr const char* kIconPagePath = "/vantrel/icons.php";

// "https://" + host + path.
inline std::string ProductWebPage(const char* path) {
    return std::string("https://") + kProductWebHost + path;
}

}  // namespace vt
