#pragma once
#include <cstddef>

// Allocations made through operator new since the program started.
std::size_t allocations();
