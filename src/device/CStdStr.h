#pragma once
#include <string>

// The system's own wide string: every text shown to the user is one.
using CStdStr = std::wstring;
