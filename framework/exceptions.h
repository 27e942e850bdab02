#pragma once
// Exceptions the framework raises. Nothing in the program catches them except
// the process entry, which ends the process in order.
#include <new>

// An allocation that cannot be satisfied.
class CMemoryException : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "CMemoryException"; }
};
