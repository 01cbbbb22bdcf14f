#pragma once

#include <cstdint>

// The id of the running process.
uint32_t CurrentProcessId();
