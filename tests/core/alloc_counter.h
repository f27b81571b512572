#pragma once
#include <cstddef>

// Allocations made through operator new, and pictures made, since the program started.
std::size_t allocations();
