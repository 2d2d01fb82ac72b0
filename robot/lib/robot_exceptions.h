// The four exception classes of the arx robot library: empty, thrown by value, told apart by type.
#pragma once

namespace arx {

// An axis number outside 1..3, or a motion that cannot be commanded (a speed of 0 or less).
class RobotParEx {};
// A status report did not come within the time-out, or the read failed.
class ReadErrorEx {};
// A command report could not be written completely.
class WriteErrorEx {};
// Never thrown by the library; offered to callers that want to treat flag trouble as an error.
class UnreliableFlagEx {};

}  // namespace arx
