#pragma once

// The text work behind the graphics-driver report (UtilityEngine::QueryGPU and
// QueryGPUBlackList, render/DriverReport.cpp), apart from GL so that it tests without a context.

#include <istream>
#include <string>
#include <vector>

// Major and minor numbers of a GL version string such as "4.5 (Compatibility Profile) Mesa":
// only the first 25 characters count; the major number is the text before the first ".", the
// minor one the text after it up to the next ".", blank or line feed. A missing part gives 0.
void parseGLVersion(const char* version, int& major, int& minor);

// The names of an extension list, split at every run of characters other than letters, digits
// and "_", in the driver's order.
std::vector<std::string> splitExtensions(const char* extensions);

// True when the renderer name holds, ignoring case, a non-empty line of the exclusion list;
// lines starting with "#" are comments and a trailing carriage return is ignored.
bool rendererExcluded(const std::string& renderer, std::istream& list);
