// Pointer strings of the _arxusb module: the type table and the "_<address hex><type name>" text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace arxpy {

// Every library type that reaches Python as a pointer string.
enum class PtrType {
    RobotControl,
    RobotControlImp,
    RobotControlFactory,
    RobotControlPar,
    RobotParEx,
    ReadErrorEx,
    WriteErrorEx,
    UnreliableFlagEx,
    FlagDirArray,   // the flagdir member of a record
    UnsignedArray,  // any other per-axis member of a record
    TimeoutEx,      // a ReadErrorEx: a caller's time limit passed
};
inline constexpr std::size_t kPtrTypeCount = 11;

// The type name written after the address digits, e.g. "_p_arx__RobotControlPar".
const char* typeName(PtrType type);
std::optional<PtrType> typeFromName(std::string_view name);

// Two lowercase hex digits per address byte, in memory order: on a 64-bit build 16 digits.
inline constexpr std::size_t kAddressDigits = 2 * sizeof(void*);

// "_" + address digits + type name.
std::string formatPointer(const void* address, PtrType type);

// What a pointer argument's text says, before anyone checks that the object exists.
struct PointerText {
    bool null = false;  // None or "NULL"
    const void* address = nullptr;
    std::string typeName;  // the text after the digits, not necessarily a known name
};

// Reads "NULL" or "_" + exactly kAddressDigits lowercase hex digits + a type name.
// Anything else (uppercase digits, too few digits, no underscore) gives nothing.
std::optional<PointerText> parsePointer(std::string_view text);

}  // namespace arxpy
