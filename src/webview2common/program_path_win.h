#pragma once
// Where the running program lies: the host looks for its loader there, parents for the host.

#include <string>

// The full path of the running program's file; empty when it cannot be had.
std::wstring ProgramPath();
// Its folder, without a trailing separator.
std::wstring ProgramFolder();
