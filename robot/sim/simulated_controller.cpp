// The firmware model: command queue and counts, ramped motion over simulated ticks, home flags.
#include "simulated_controller.h"

#include <algorithm>
#include <cstdio>

#include "robot_constants.h"

namespace arx::sim {

namespace {

// A loop-count byte of 0 stands for 256.
int64_t loopCount(uint8_t byte) { return byte == 0 ? 256 : byte; }

SimCommand decodeCommand(const uint8_t* r) {
    SimCommand c;
    c.axis = r[1];
    c.mode = r[2];
    c.a = r[4];
    c.v = r[5];
    c.n = loopCount(r[6]) + 256 * (loopCount(r[7]) - 1) + 65536 * (loopCount(r[8]) - 1);
    return c;
}

// Steps covered after t ticks of a motion: a linear speed ramp from 0 to v over a*v ticks,
// n ticks at v, and the mirror ramp down; the whole motion covers exactly (a*v + n)*v.
int64_t travelled(const SimCommand& c, int64_t distance, uint64_t duration, uint64_t t) {
    const int64_t ramp = c.a * c.v;
    const int64_t ti = static_cast<int64_t>(t);
    if (ti >= static_cast<int64_t>(duration)) return distance;
    if (ti <= ramp) return ti * ti / (2 * c.a);
    if (ti <= ramp + c.n) return c.a * c.v * c.v / 2 + (ti - ramp) * c.v;
    const int64_t left = static_cast<int64_t>(duration) - ti;
    return distance - left * left / (2 * c.a);
}

// The position at which a homing motion from `from` towards `to` meets the awaited flag edge:
// entering the flag range when rising, leaving it when dropping. Nothing when it does not.
std::optional<int64_t> edgeBetween(int64_t from, int64_t to, const FlagRange& flag, bool rise) {
    if (from == to) return std::nullopt;
    const bool up = to > from;
    const int64_t edge = rise ? (up ? flag.low : flag.high) : (up ? flag.high + 1 : flag.low - 1);
    // The awaited transition happens on the step that arrives at `edge`, coming from outside
    // (rising) or from inside (dropping) the range.
    const bool fromOk =
        rise ? !flag.contains(up ? edge - 1 : edge + 1) : flag.contains(up ? edge - 1 : edge + 1);
    if (!fromOk) return std::nullopt;
    if (up ? (edge > from && edge <= to) : (edge < from && edge >= to)) return edge;
    return std::nullopt;
}

}  // namespace

SimulatedController::SimulatedController(SimConfig config) : config_(std::move(config)) {
    for (int k = 0; k < 3; ++k) axes_[k].position = config_.startPosition[k];
}

long SimulatedController::receive(const uint8_t* data, std::size_t length) {
    if (config_.failWritesAfter && writesAccepted_ >= *config_.failWritesAfter) return -1;
    ++writesAccepted_;
    received_.emplace_back(data, data + length);
    log(data, length);
    // The library may write only when the device has taken every earlier command and at
    // most 3 wait in its queue.
    if (!inbox_.empty() || queue_.size() > 3) ++flowViolations_;
    uint8_t report[9] = {};
    std::copy(data, data + std::min<std::size_t>(length, 9), report);
    const SimCommand command = decodeCommand(report);
    inbox_.emplace_back(command, reportsSent_ + config_.acceptDelayReports);
    accept();
    return static_cast<long>(length);
}

void SimulatedController::accept() {
    while (!inbox_.empty() && inbox_.front().second <= reportsSent_) {
        const SimCommand command = inbox_.front().first;
        inbox_.pop_front();
        ++acceptedCount_;
        // Reports for an axis the controller does not have are counted and dropped.
        if (command.axis >= 1 && command.axis <= 3) queue_.push_back(command);
    }
}

void SimulatedController::log(const uint8_t* data, std::size_t length) {
    if (config_.logPath.empty()) return;
    std::FILE* out = std::fopen(config_.logPath.c_str(), "a");
    if (!out) {
        // A dry run whose log silently stays empty would look like one that sent nothing.
        if (!logFailed_) {
            std::fprintf(stderr, "ARXUSB_SIMULATOR_LOG: cannot write %s\n",
                         config_.logPath.c_str());
            logFailed_ = true;
        }
        return;
    }
    for (std::size_t i = 0; i < length; ++i) std::fprintf(out, i ? " %02x" : "%02x", data[i]);
    std::fputc('\n', out);
    std::fclose(out);
}

void SimulatedController::dispatch() {
    // In order: the head of the queue starts once its axis is at rest; other axes' commands
    // behind it wait, so the queue keeps the order the script gave.
    while (!queue_.empty() && !axes_[queue_.front().axis - 1].motion) {
        const SimCommand c = queue_.front();
        queue_.pop_front();
        if (c.mode & IDLE_FLAG) continue;  // the idle command moves nothing
        Motion m;
        m.command = c;
        m.origin = axes_[c.axis - 1].position;
        m.distance = (c.a * c.v + c.n) * c.v;
        m.duration = static_cast<uint64_t>(2 * c.a * c.v + c.n);
        if (c.v == 0 || m.duration == 0) continue;
        axes_[c.axis - 1].motion = m;
    }
}

void SimulatedController::advance(Axis& axis, const FlagRange& flag) {
    Motion& m = *axis.motion;
    ++m.elapsed;
    const int64_t sign = (m.command.mode & DIR_FLAG) ? -1 : 1;
    const int64_t next = m.origin + sign * travelled(m.command, m.distance, m.duration, m.elapsed);
    if (m.command.mode & DECEL_FLAG) {
        const auto edge = edgeBetween(axis.position, next, flag, m.command.mode & RAISE_FLAG);
        if (edge) {
            axis.position = *edge;
            axis.motion.reset();
            return;
        }
    }
    axis.position = next;
    if (m.elapsed >= m.duration) axis.motion.reset();
}

void SimulatedController::tick() {
    ++ticks_;
    dispatch();
    for (int k = 0; k < 3; ++k) {
        if (axes_[k].motion) advance(axes_[k], config_.flag[k]);
    }
    dispatch();
}

bool SimulatedController::unplugged() {
    if (!config_.unplugAfterReports || reportsSent_ < *config_.unplugAfterReports || replugged_)
        return false;
    if (config_.replugAfterAttempts && ++unpluggedAttempts_ > *config_.replugAfterAttempts) {
        replugged_ = true;
        return false;
    }
    return true;
}

bool SimulatedController::stalled() const {
    return config_.stallAfterReports && reportsSent_ >= *config_.stallAfterReports;
}

bool SimulatedController::nextStatus(uint8_t* buf, std::size_t length) {
    if (config_.stopAfterReports && reportsSent_ >= *config_.stopAfterReports) return false;
    accept();
    const bool stalled = this->stalled();
    for (uint32_t t = 0; t < config_.ticksPerReport; ++t) {
        if (stalled ||
            (queue_.empty() && !axes_[0].motion && !axes_[1].motion && !axes_[2].motion)) {
            // Nothing moves until the next command arrives: skip the quiet ticks at once.
            ticks_ += config_.ticksPerReport - t;
            break;
        }
        tick();
    }
    ++reportsSent_;
    std::fill(buf, buf + length, uint8_t{0});
    if (length < 19) return true;
    for (int k = 0; k < 3; ++k) {
        if (config_.flag[k].contains(axes_[k].position)) buf[1] |= static_cast<uint8_t>(1u << k);
        uint8_t* block = buf + 4 + 5 * k;
        block[0] = axes_[k].motion ? 1 : 0;
        const uint32_t p = static_cast<uint32_t>(axes_[k].position);
        block[1] = static_cast<uint8_t>(p);
        block[2] = static_cast<uint8_t>(p >> 8);
        block[3] = static_cast<uint8_t>(p >> 16);
    }
    buf[2] = acceptedCount_;
    buf[3] = static_cast<uint8_t>(std::min<std::size_t>(queue_.size(), 255));
    return true;
}

}  // namespace arx::sim
