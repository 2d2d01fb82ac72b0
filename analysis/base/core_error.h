// Typed errors of the core. Each carries the system's own message text, which the GUI shows in
// its message box and orvane-batch prints on stderr; the core itself never shows anything.
#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

// A command failed with a message the user must see ("Can not open requested file: ...").
class CoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An allocation failed or was refused before it was tried; the shell reports "Out of memory.".
class OutOfMemoryError : public CoreError {
public:
    OutOfMemoryError() : CoreError("Out of memory.") {}
};

}  // namespace orvane
