// Letter case as the file system and the settings files see it: only the ASCII letters have a case;
// every other byte (UTF-8 sequences included) is compared as it is.
#pragma once

#include <string>
#include <string_view>

namespace platform::ascii {

constexpr char toLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b);

// Order of a sorted listing: ignoring case, with the exact byte order as tie-break.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// Wildcard match ignoring case: "*" stands for any run of characters, "?" for exactly one.
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace platform::ascii
