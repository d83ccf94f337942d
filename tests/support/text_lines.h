// Lines of files the system writes in text mode, whose line end is the
// system's: "\r\n" on Windows, "\n" elsewhere.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
inline constexpr char kTextLineEnd[] = "\r\n";
#else
inline constexpr char kTextLineEnd[] = "\n";
#endif

// |text| cut at every kTextLineEnd, which is dropped; text after the last
// one is a line too. A lone "\n" on Windows stays inside its line, so a
// line written with the wrong end shows in the comparison.
std::vector<std::string> SplitTextLines(const std::string& text);

// |text| with every kTextLineEnd made a "\n" (on POSIX, |text| itself).
std::string WithLineFeeds(const std::string& text);

// True when |text| is empty or is whole lines: it ends with kTextLineEnd
// and holds no "\r" or "\n" but in line ends.
bool IsWholeTextLines(const std::string& text);
