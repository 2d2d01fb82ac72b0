// The exception classes of the arx robot library, thrown by value and told apart by type. Each
// may carry a text that says what went wrong this time (empty when there is nothing to add).
#pragma once

#include <string>
#include <utility>

namespace arx {

// The text an exception carries; the base of every class below.
class ExceptionText {
public:
    ExceptionText() = default;
    explicit ExceptionText(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A parameter or a motion that the controller cannot carry: an axis number outside 1..3, a
// value outside its member's range, a move whose command fields or target do not fit.
class RobotParEx : public ExceptionText {
    using ExceptionText::ExceptionText;
};
// A status report did not come within the time-out, or the read failed.
class ReadErrorEx : public ExceptionText {
    using ExceptionText::ExceptionText;
};
// The caller's time limit of a wait passed. The device stays open; a new init resynchronises.
class TimeoutEx : public ReadErrorEx {
    using ReadErrorEx::ReadErrorEx;
};
// A command report could not be written completely.
class WriteErrorEx : public ExceptionText {
    using ExceptionText::ExceptionText;
};
// Never thrown by the library; offered to callers that want to treat flag trouble as an error.
class UnreliableFlagEx : public ExceptionText {
    using ExceptionText::ExceptionText;
};

}  // namespace arx
