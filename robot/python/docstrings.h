// Docstrings of the _arxusb functions, kept for the life of the process.
#pragma once

#include <string>

namespace arxpy {

// A docstring built at start-up: the text is kept alive with the module's function table.
const char* keepDoc(std::string text);

// Replaces every "{T}" in the template with the text.
std::string fillIn(std::string pattern, const std::string& text);

}  // namespace arxpy
