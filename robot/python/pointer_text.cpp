// Pointer strings of the _arxusb module: the type table and the "_<address hex><type name>" text.
#include "pointer_text.h"

#include <array>
#include <cstring>

namespace arxpy {
namespace {

constexpr std::array<const char*, kPtrTypeCount> kTypeNames = {
    "_p_arx__RobotControl",    "_p_arx__RobotControlImp",  "_p_arx__RobotControlFactory",
    "_p_arx__RobotControlPar", "_p_arx__RobotParEx",       "_p_arx__ReadErrorEx",
    "_p_arx__WriteErrorEx",    "_p_arx__UnreliableFlagEx", "_p_arx__FLAG_DIR",
    "_p_unsigned_int",         "_p_arx__TimeoutEx",
};

constexpr char kDigits[] = "0123456789abcdef";

// Only lowercase digits are ours: an uppercase one means the text was not made by this module.
int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

const char* typeName(PtrType type) { return kTypeNames[static_cast<std::size_t>(type)]; }

std::optional<PtrType> typeFromName(std::string_view name) {
    for (std::size_t i = 0; i < kTypeNames.size(); ++i) {
        if (name == kTypeNames[i]) return static_cast<PtrType>(i);
    }
    return std::nullopt;
}

std::string formatPointer(const void* address, PtrType type) {
    unsigned char bytes[sizeof(void*)];
    std::memcpy(bytes, &address, sizeof bytes);
    std::string text = "_";
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    text += typeName(type);
    return text;
}

std::optional<PointerText> parsePointer(std::string_view text) {
    PointerText parsed;
    if (text == "NULL") {
        parsed.null = true;
        return parsed;
    }
    if (text.size() < 1 + kAddressDigits || text[0] != '_') return std::nullopt;
    unsigned char bytes[sizeof(void*)];
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        int high = digitValue(text[1 + 2 * i]);
        int low = digitValue(text[2 + 2 * i]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    std::memcpy(&parsed.address, bytes, sizeof bytes);
    parsed.typeName = text.substr(1 + kAddressDigits);
    return parsed;
}

}  // namespace arxpy
