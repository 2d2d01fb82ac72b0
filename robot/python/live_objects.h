// The library objects that _arxusb handed to Python, so that a forged or stale pointer string
// is refused instead of being followed into memory.
#pragma once

#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "pointer_text.h"
#include "robot_control.h"
#include "robot_control_par.h"
#include "robot_exceptions.h"

namespace arxpy {

struct LiveObject {
    // RobotControlImp, RobotControl (an implementation of another kind), RobotControlFactory,
    // RobotControlPar or one of the four exception types.
    PtrType type;
    // The object as its own type; a robot-control object as its RobotControl base, whose address
    // is the one its pointer strings carry.
    void* object;
    bool deletable;  // false for the static factory
    // Weak references to the shadow instances made for this object, disowned when it is deleted.
    std::vector<PyObject*> shadows;
    // A robot-control object is busy while one thread runs an operation on it with the
    // interpreter lock released; other threads wait for it. A deletion asked for meanwhile is
    // carried out when the operation ends (doomed objects resolve to nothing).
    bool busy = false;
    bool doomed = false;
    unsigned long owner = 0;  // the thread of the operation while busy
};

class LiveObjects {
public:
    // The address under which the object's pointer strings are written.
    static const void* addressOf(const arx::RobotControl* control) { return control; }

    void add(const void* address, PtrType type, void* object, bool deletable);
    // The live object at the address, doomed ones included.
    LiveObject* find(const void* address);
    // The live record one of whose per-axis arrays (of the given array type) starts at address.
    arx::RobotControlPar* recordOfArray(const void* address, PtrType arrayType);
    // Remembers a shadow instance; instances without weak-reference support are not tracked.
    void addShadow(const void* address, PyObject* instance);
    // Deletes the object, forgets it, then sets "thisown" to 0 on every shadow instance still
    // alive, so that none of them deletes it a second time. The caller holds the interpreter lock.
    // A busy object is only marked doomed, and destroyed by release().
    void destroy(const void* address);
    // Ends a busy object's operation; destroys it when a deletion was asked for meanwhile.
    void release(const void* address);

    // Freed storage is held back for this many later deletions, so that no new object takes the
    // address of a deleted one meanwhile and a stale pointer string names nothing alive.
    static constexpr std::size_t kRetiredLimit = 4096;

private:
    void retire(void* storage);

    std::map<std::uintptr_t, LiveObject> objects_;
    std::deque<void*> retired_;  // destroyed objects' storage, oldest first
};

// The registry of this process.
LiveObjects& liveObjects();

}  // namespace arxpy
