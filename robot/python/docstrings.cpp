// Storage of the _arxusb docstrings that are built from templates.
#include "docstrings.h"

#include <deque>

namespace arxpy {

const char* keepDoc(std::string text) {
    // A deque never moves its elements, so every pointer handed out stays valid.
    static std::deque<std::string> kept;
    kept.push_back(std::move(text));
    return kept.back().c_str();
}

std::string fillIn(std::string pattern, const std::string& text) {
    for (std::size_t at = pattern.find("{T}"); at != std::string::npos;
         at = pattern.find("{T}", at + text.size())) {
        pattern.replace(at, 3, text);
    }
    return pattern;
}

}  // namespace arxpy
