// The RobotControl, RobotControlImp and RobotControlFactory functions of _arxusb. The
// RobotControl_ functions take Imp objects too; the RobotControlImp_ ones take only those.
#include <cxxabi.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "control_docs.h"
#include "convert.h"
#include "docstrings.h"
#include "wrappers.h"

namespace arxpy {
namespace {

enum class Flavor { Interface, Imp };

template <Flavor F>
struct Forms;

template <>
struct Forms<Flavor::Interface> {
    static constexpr PtrType type = PtrType::RobotControl;
    static constexpr const char* init = "O|O:RobotControl_init";
    static constexpr const char* waitdone = "O|O:RobotControl_waitdone";
    static constexpr const char* home = "Oi|O:RobotControl_home";
    static constexpr const char* idle = "Oi:RobotControl_idle";
    static constexpr const char* coord = "Oi:RobotControl_coord";
    static constexpr const char* aim = "Oi:RobotControl_aim";
    static constexpr const char* hSensorState = "Oi:RobotControl_hSensorState";
    static constexpr const char* move = "Oii|iOOi:RobotControl_move";
    static constexpr const char* flush = "O|O:RobotControl_flush";
    static constexpr const char* setGPO = "OOO:RobotControl_setGPO";
    static constexpr const char* getStopButton = "O:RobotControl_getStopButton";
    static constexpr const char* close = "O:RobotControl_close";
    static constexpr const char* state = "O:RobotControl_state";
    static constexpr const char* parameters = "O:RobotControl_parameters";
    static constexpr const char* destroy = "O:delete_RobotControl";
    static constexpr const char* swigregister = "O:RobotControl_swigregister";
};

template <>
struct Forms<Flavor::Imp> {
    static constexpr PtrType type = PtrType::RobotControlImp;
    static constexpr const char* init = "O|O:RobotControlImp_init";
    static constexpr const char* waitdone = "O|O:RobotControlImp_waitdone";
    static constexpr const char* home = "Oi|O:RobotControlImp_home";
    static constexpr const char* idle = "Oi:RobotControlImp_idle";
    static constexpr const char* coord = "Oi:RobotControlImp_coord";
    static constexpr const char* aim = "Oi:RobotControlImp_aim";
    static constexpr const char* hSensorState = "Oi:RobotControlImp_hSensorState";
    static constexpr const char* move = "Oii|iOOi:RobotControlImp_move";
    static constexpr const char* flush = "O|O:RobotControlImp_flush";
    static constexpr const char* setGPO = "OOO:RobotControlImp_setGPO";
    static constexpr const char* getStopButton = "O:RobotControlImp_getStopButton";
    static constexpr const char* close = "O:RobotControlImp_close";
    static constexpr const char* state = "O:RobotControlImp_state";
    static constexpr const char* parameters = "O:RobotControlImp_parameters";
    static constexpr const char* destroy = "O:delete_RobotControlImp";
    static constexpr const char* swigregister = "O:RobotControlImp_swigregister";
};

template <Flavor F>
bool resolveTarget(const PointerText& p, arx::RobotControl*& out) {
    if constexpr (F == Flavor::Interface) {
        return resolveControl(p, out);
    } else {
        arx::RobotControlImp* imp = nullptr;
        if (!resolveImp(p, imp)) return false;
        out = imp;
        return true;
    }
}

// The text of a ReadErrorEx raised by an object whose init never succeeded (or that was closed):
// nothing timed out, there simply is no controller yet.
constexpr const char* kNoController = "no controller: init has not succeeded";

using Clock = std::chrono::steady_clock;
// How often a waiting operation takes the interpreter lock back to run signal handlers. The
// library's wait hook comes at least every kWaitSliceMs, so Ctrl-C is seen within the sum.
constexpr auto kSignalInterval = std::chrono::milliseconds(arx::kWaitSliceMs);
// How long a thread sleeps between looks at an object that another thread is using.
constexpr auto kBusyPoll = std::chrono::milliseconds(10);

// Takes the object that p names for this thread's operation. While another thread has it (in an
// operation running without the interpreter lock), waits with the lock released and signals
// checked, then resolves the text again: the object may have been deleted meanwhile.
template <Flavor F>
bool acquire(const PointerText& p, arx::RobotControl*& out) {
    for (;;) {
        if (!resolveTarget<F>(p, out)) return false;
        LiveObject* live = liveObjects().find(LiveObjects::addressOf(out));
        if (!live->busy) {
            live->busy = true;
            live->owner = PyThread_get_thread_ident();
            return true;
        }
        if (live->owner == PyThread_get_thread_ident()) {
            // A signal handler that runs during a wait and uses the same object would wait for
            // itself.
            PyErr_SetString(PyExc_RuntimeError,
                            "the robot-control object is already in an operation on this thread");
            return false;
        }
        PyThreadState* thread = PyEval_SaveThread();
        std::this_thread::sleep_for(kBusyPoll);
        PyEval_RestoreThread(thread);
        if (PyErr_CheckSignals() < 0) return false;
    }
}

enum class Returns { None, Int };
enum class Kind { Init, Other };

// A homing message, written where the script's own output goes (sys.stdout, so that
// redirection and notebooks see it) and logged as a warning on the logger "arxusb". Runs with
// the interpreter lock held; a failure here is reported as unraisable and the homing goes on.
void emitHomingMessage(int axis, const std::string& text) {
    PyObject* out = PySys_GetObject("stdout");  // borrowed
    if (out == nullptr || out == Py_None) {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    } else {
        PyObject* written = PyObject_CallMethod(out, "write", "s", text.c_str());
        PyObject* flushed = written ? PyObject_CallMethod(out, "flush", nullptr) : nullptr;
        Py_XDECREF(written);
        Py_XDECREF(flushed);
        if (flushed == nullptr) PyErr_WriteUnraisable(out);
    }
    std::string line = text;
    std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
    PyObject* logging = PyImport_ImportModule("logging");
    PyObject* logger = logging ? PyObject_CallMethod(logging, "getLogger", "s", "arxusb") : nullptr;
    PyObject* logged = logger ? PyObject_CallMethod(logger, "warning", "sis", "homing axis %d: %s",
                                                    axis, line.c_str())
                              : nullptr;
    if (logged == nullptr) PyErr_WriteUnraisable(logger);
    Py_XDECREF(logged);
    Py_XDECREF(logger);
    Py_XDECREF(logging);
}

// Runs one library operation on the object with the interpreter lock released, so that other
// Python threads go on while it waits for the controller. The controller's wait hook takes the
// lock back about every kSignalInterval to run signal handlers: an exception from one (Ctrl-C's
// KeyboardInterrupt) ends the wait where it stands, with the state of the last status report
// (the controller goes on with its queue; a new init resynchronises).
template <Flavor F, class Operation>
PyObject* run(const PointerText& p, Kind kind, Returns returns, Operation operation,
              const char* timeoutText = nullptr) {
    arx::RobotControl* control = nullptr;
    if (!acquire<F>(p, control)) return nullptr;
    const void* address = LiveObjects::addressOf(control);
    auto* imp = dynamic_cast<arx::RobotControlImp*>(control);
    const char* readErrorText =
        kind == Kind::Other && imp != nullptr && !imp->initSucceeded() ? kNoController : nullptr;
    long result = 0;
    std::exception_ptr failure;
    PyThreadState* thread = PyEval_SaveThread();
    Clock::time_point lastCheck = Clock::now();
    if (imp != nullptr) {
        imp->link().setWaitHook([&] {
            if (Clock::now() - lastCheck < kSignalInterval) return;
            PyEval_RestoreThread(thread);
            const int handled = PyErr_CheckSignals();
            thread = PyEval_SaveThread();
            lastCheck = Clock::now();
            if (handled < 0) throw Interrupted{};
        });
        imp->setMessageSink([&](int axis, const std::string& text) {
            PyEval_RestoreThread(thread);
            emitHomingMessage(axis, text);
            thread = PyEval_SaveThread();
        });
    }
    try {
        result = operation(*control);
    } catch (abi::__forced_unwind&) {
        // A daemon thread that takes the lock back while the interpreter shuts down is ended by
        // an unwinding that must go on.
        throw;
    } catch (...) {
        failure = std::current_exception();
    }
    if (imp != nullptr) {
        imp->link().setWaitHook(nullptr);
        imp->setMessageSink(nullptr);
    }
    PyEval_RestoreThread(thread);
    // From here on control may be gone: a deletion asked for meanwhile happens now.
    liveObjects().release(address);
    return guarded(
        [&]() -> PyObject* {
            if (failure) std::rethrow_exception(failure);
            if (returns == Returns::None) Py_RETURN_NONE;
            return PyLong_FromLong(result);
        },
        readErrorText, timeoutText);
}

using TimeLimit = arx::RobotControlImp::TimeLimit;

// A timeout argument: None (or absent) for no limit, else seconds above 0; an infinite one is
// no limit either.
bool readTimeout(PyObject* arg, std::optional<TimeLimit>& out) {
    out.reset();
    if (arg == nullptr || arg == Py_None) return true;
    const double seconds = PyFloat_AsDouble(arg);
    if (seconds == -1.0 && PyErr_Occurred()) return false;
    if (std::isnan(seconds) || seconds <= 0) {
        PyErr_Format(PyExc_ValueError,
                     "timeout must be a number of seconds above 0 or None, not %R", arg);
        return false;
    }
    if (std::isinf(seconds) || seconds > 1e9) return true;
    out = std::chrono::duration_cast<TimeLimit>(std::chrono::duration<double>(seconds));
    return true;
}

// "waitdone: not done within 2.5 s; the controller goes on with its queue (init resynchronises)".
std::string timeoutText(const char* operation, const std::optional<TimeLimit>& limit) {
    if (!limit) return {};
    operation = std::strchr(operation, '_') + 1;  // "RobotControlImp_home" -> "home"
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s: not done within %g s; the controller goes on with its queue (init "
                  "resynchronises)",
                  operation, std::chrono::duration<double>(*limit).count());
    return text;
}

// Runs a wait with its time limit: on a RobotControlImp, else (no limit can be set) plainly.
template <class Plain, class Limited>
long limitedWait(arx::RobotControl& c, const std::optional<TimeLimit>& limit, Plain plain,
                 Limited limited) {
    auto* imp = dynamic_cast<arx::RobotControlImp*>(&c);
    if (limit && imp != nullptr) return limited(*imp, *limit);
    return plain(c);
}

// Reads the object argument when it is the only pointer argument.
template <Flavor F>
bool target(PyObject* arg, PointerText& p) {
    return readPointer(arg, Forms<F>::type, p);
}

// The operations that take the object and an axis number.
template <Flavor F, class Operation>
PyObject* axisCall(PyObject* args, const char* form, Returns returns, Operation operation) {
    PyObject* self = nullptr;
    int axis = 0;
    if (!PyArg_ParseTuple(args, form, &self, &axis)) return nullptr;
    PointerText p;
    if (!target<F>(self, p)) return nullptr;
    return run<F>(p, Kind::Other, returns,
                  [&](arx::RobotControl& c) -> long { return operation(c, axis); });
}

// The operations that take the object alone.
template <Flavor F, class Operation>
PyObject* plainCall(PyObject* args, const char* form, Returns returns, Operation operation) {
    PyObject* self = nullptr;
    PointerText p;
    if (!PyArg_ParseTuple(args, form, &self) || !target<F>(self, p)) return nullptr;
    return run<F>(p, Kind::Other, returns, operation);
}

template <Flavor F>
PyObject* init(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    PyObject* parArg = Py_None;
    if (!PyArg_ParseTuple(args, Forms<F>::init, &self, &parArg)) return nullptr;
    PointerText selfText, parText;
    if (!readPointer(self, Forms<F>::type, selfText) ||
        !readPointer(parArg, PtrType::RobotControlPar, parText)) {
        return nullptr;
    }
    arx::RobotControlPar* par = nullptr;  // null keeps the object's parameters
    if (!resolvePar(parText, Null::Allowed, par)) return nullptr;
    // A copy: another thread may delete the record while init runs without the lock.
    std::optional<arx::RobotControlPar> copy;
    if (par != nullptr) copy = *par;
    return run<F>(selfText, Kind::Init, Returns::Int, [&](arx::RobotControl& c) -> long {
        return c.init(copy ? &*copy : nullptr) ? 1 : 0;
    });
}

// waitdone and flush: the object and an optional timeout.
template <Flavor F, class Plain, class Limited>
PyObject* waitCall(PyObject* args, const char* form, Plain plain, Limited limited) {
    PyObject* self = nullptr;
    PyObject* timeoutArg = nullptr;
    std::optional<TimeLimit> limit;
    PointerText p;
    if (!PyArg_ParseTuple(args, form, &self, &timeoutArg) || !readTimeout(timeoutArg, limit) ||
        !target<F>(self, p)) {
        return nullptr;
    }
    const std::string text = timeoutText(nameOf(form), limit);
    return run<F>(
        p, Kind::Other, Returns::None,
        [&](arx::RobotControl& c) { return limitedWait(c, limit, plain, limited); }, text.c_str());
}

template <Flavor F>
PyObject* waitdone(PyObject*, PyObject* args) {
    return waitCall<F>(
        args, Forms<F>::waitdone,
        [](arx::RobotControl& c) {
            c.waitdone();
            return 0L;
        },
        [](arx::RobotControlImp& c, TimeLimit limit) {
            c.waitdone(limit);
            return 0L;
        });
}

template <Flavor F>
PyObject* flush(PyObject*, PyObject* args) {
    return waitCall<F>(
        args, Forms<F>::flush,
        [](arx::RobotControl& c) {
            c.flush();
            return 0L;
        },
        [](arx::RobotControlImp& c, TimeLimit limit) {
            c.flush(limit);
            return 0L;
        });
}

// A copy of the object's parameters, taken while the object is this thread's.
template <Flavor F>
PyObject* parameters(PyObject*, PyObject* args) {
    arx::RobotControlPar copy;
    PyObject* done =
        plainCall<F>(args, Forms<F>::parameters, Returns::None, [&](arx::RobotControl& c) {
            if (auto* imp = dynamic_cast<arx::RobotControlImp*>(&c)) {
                copy = imp->parameters();
            }
            return 0L;
        });
    if (done == nullptr) return nullptr;
    Py_DECREF(done);
    return newParRecord(&copy);
}

template <Flavor F>
PyObject* getStopButton(PyObject*, PyObject* args) {
    return plainCall<F>(args, Forms<F>::getStopButton, Returns::Int,
                        [](arx::RobotControl& c) -> long { return c.getStopButton() ? 1 : 0; });
}

template <Flavor F>
PyObject* close(PyObject*, PyObject* args) {
    return plainCall<F>(args, Forms<F>::close, Returns::None, [](arx::RobotControl& c) {
        if (auto* imp = dynamic_cast<arx::RobotControlImp*>(&c)) imp->close();
        return 0L;
    });
}

// Homing's flag messages reach sys.stdout and the logger through the object's message sink.
template <Flavor F>
PyObject* home(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0;
    PyObject* timeoutArg = nullptr;
    std::optional<TimeLimit> limit;
    PointerText p;
    if (!PyArg_ParseTuple(args, Forms<F>::home, &self, &axis, &timeoutArg) ||
        !readTimeout(timeoutArg, limit) || !target<F>(self, p)) {
        return nullptr;
    }
    const std::string text = timeoutText(nameOf(Forms<F>::home), limit);
    return run<F>(
        p, Kind::Other, Returns::Int,
        [&](arx::RobotControl& c) {
            return limitedWait(
                c, limit, [&](arx::RobotControl& any) -> long { return any.home(axis) ? 1 : 0; },
                [&](arx::RobotControlImp& imp, TimeLimit l) -> long {
                    return imp.home(axis, l) ? 1 : 0;
                });
        },
        text.c_str());
}

template <Flavor F>
PyObject* idle(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::idle, Returns::Int,
                       [](arx::RobotControl& c, int axis) -> long { return c.idle(axis) ? 1 : 0; });
}

template <Flavor F>
PyObject* coord(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::coord, Returns::Int,
                       [](arx::RobotControl& c, int axis) -> long { return c.coord(axis); });
}

template <Flavor F>
PyObject* aim(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::aim, Returns::Int,
                       [](arx::RobotControl& c, int axis) -> long { return c.aim(axis); });
}

template <Flavor F>
PyObject* hSensorState(PyObject*, PyObject* args) {
    return axisCall<F>(
        args, Forms<F>::hSensorState, Returns::Int,
        [](arx::RobotControl& c, int axis) -> long { return c.hSensorState(axis) ? 1 : 0; });
}

template <Flavor F>
PyObject* move(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    int axis = 0, steps = 0, rampOffset = 0, velocity = 0;
    PyObject* riseArg = nullptr;
    PyObject* homingArg = nullptr;
    if (!PyArg_ParseTuple(args, Forms<F>::move, &self, &axis, &steps, &rampOffset, &riseArg,
                          &homingArg, &velocity)) {
        return nullptr;
    }
    PointerText p;
    bool rise = false, homing = false;
    if (!readPointer(self, Forms<F>::type, p) || !readTruth(riseArg, rise) ||
        !readTruth(homingArg, homing)) {
        return nullptr;
    }
    return run<F>(p, Kind::Other, Returns::Int, [&](arx::RobotControl& c) -> long {
        return c.move(axis, steps, rampOffset, rise, homing, velocity);
    });
}

template <Flavor F>
PyObject* setGPO(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    PyObject* outputArg = nullptr;
    PyObject* stateArg = nullptr;
    if (!PyArg_ParseTuple(args, Forms<F>::setGPO, &self, &outputArg, &stateArg)) return nullptr;
    PointerText p;
    unsigned int output = 0;
    bool state = false;
    if (!readPointer(self, Forms<F>::type, p) || !readUnsigned(outputArg, output) ||
        !readTruth(stateArg, state)) {
        return nullptr;
    }
    return run<F>(p, Kind::Other, Returns::None, [&](arx::RobotControl& c) {
        c.setGPO(output, state);
        return 0L;
    });
}

PyObject* triple(const std::array<int32_t, 3>& values) {
    return Py_BuildValue("(iii)", values[0], values[1], values[2]);
}

// What repr shows, without I/O: nothing is read from the controller.
template <Flavor F>
PyObject* state(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    PointerText p;
    arx::RobotControl* control = nullptr;
    if (!PyArg_ParseTuple(args, Forms<F>::state, &self) || !target<F>(self, p) ||
        !resolveTarget<F>(p, control)) {
        return nullptr;
    }
    // Another thread's operation owns the object's fields until it ends.
    if (liveObjects().find(LiveObjects::addressOf(control))->busy) {
        return Py_BuildValue("{s:O}", "busy", Py_True);
    }
    auto* imp = dynamic_cast<arx::RobotControlImp*>(control);
    if (imp == nullptr) return Py_BuildValue("{s:O}", "busy", Py_False);
    const arx::RobotControlPar& par = imp->parameters();
    std::array<int32_t, 3> aims{};
    for (int k = 0; k < 3; ++k) aims[k] = imp->aim(k + 1);
    PyObject* position = nullptr;
    if (imp->link().isOpen()) {
        position = triple(imp->link().status().position);
    } else {
        position = Py_NewRef(Py_None);
    }
    if (position == nullptr) return nullptr;
    PyObject* aimValue = triple(aims);
    if (aimValue == nullptr) {
        Py_DECREF(position);
        return nullptr;
    }
    return Py_BuildValue("{s:O,s:k,s:k,s:O,s:O,s:N,s:N}", "busy", Py_False, "vendor_id",
                         static_cast<unsigned long>(par.vendor_id), "product_id",
                         static_cast<unsigned long>(par.product_id), "open",
                         imp->link().isOpen() ? Py_True : Py_False, "initialised",
                         imp->initSucceeded() ? Py_True : Py_False, "position", position, "aim",
                         aimValue);
}

template <Flavor F>
PyObject* destroy(PyObject*, PyObject* args) {
    return deleteLive(args, Forms<F>::destroy, Forms<F>::type);
}

template <Flavor F>
PyObject* swigregister(PyObject*, PyObject* args) {
    return registerShadowClass(Forms<F>::type, args, Forms<F>::swigregister);
}

template <Flavor F>
void addFlavor(std::vector<PyMethodDef>& table) {
    using N = Forms<F>;
    const std::string objects = F == Flavor::Interface
                                    ? "a RobotControl object (a RobotControlImp is accepted too)"
                                    : "a RobotControlImp object";
    auto doc = [&](const char* form, const char* pattern) {
        return keepDoc(std::string(nameOf(form)) + fillIn(pattern, objects));
    };
    const PyMethodDef own[] = {
        {nameOf(N::init), init<F>, METH_VARARGS, doc(N::init, kInitDoc)},
        {nameOf(N::waitdone), waitdone<F>, METH_VARARGS, doc(N::waitdone, kWaitdoneDoc)},
        {nameOf(N::home), home<F>, METH_VARARGS, doc(N::home, kHomeDoc)},
        {nameOf(N::idle), idle<F>, METH_VARARGS, doc(N::idle, kIdleDoc)},
        {nameOf(N::coord), coord<F>, METH_VARARGS, doc(N::coord, kCoordDoc)},
        {nameOf(N::aim), aim<F>, METH_VARARGS, doc(N::aim, kAimDoc)},
        {nameOf(N::hSensorState), hSensorState<F>, METH_VARARGS,
         doc(N::hSensorState, kHSensorStateDoc)},
        {nameOf(N::move), move<F>, METH_VARARGS, doc(N::move, kMoveDoc)},
        {nameOf(N::flush), flush<F>, METH_VARARGS, doc(N::flush, kFlushDoc)},
        {nameOf(N::setGPO), setGPO<F>, METH_VARARGS, doc(N::setGPO, kSetGPODoc)},
        {nameOf(N::getStopButton), getStopButton<F>, METH_VARARGS,
         doc(N::getStopButton, kGetStopButtonDoc)},
        {nameOf(N::close), close<F>, METH_VARARGS, doc(N::close, kCloseDoc)},
        {nameOf(N::state), state<F>, METH_VARARGS, doc(N::state, kStateDoc)},
        {nameOf(N::parameters), parameters<F>, METH_VARARGS, doc(N::parameters, kParametersDoc)},
        {nameOf(N::destroy), destroy<F>, METH_VARARGS, doc(N::destroy, kDeleteDoc)},
        {nameOf(N::swigregister), swigregister<F>, METH_VARARGS,
         doc(N::swigregister, kRegisterDoc)},
    };
    table.insert(table.end(), std::begin(own), std::end(own));
}

// Registers a robot-control object under the address its pointer strings carry.
void addControl(arx::RobotControl* control) {
    bool imp = dynamic_cast<arx::RobotControlImp*>(control) != nullptr;
    liveObjects().add(LiveObjects::addressOf(control),
                      imp ? PtrType::RobotControlImp : PtrType::RobotControl, control, true);
}

PyObject* new_RobotControlImp(PyObject*, PyObject* args) {
    if (!PyArg_ParseTuple(args, ":new_RobotControlImp")) return nullptr;
    return guarded([] {
        auto made = std::make_unique<arx::RobotControlImp>();
        arx::RobotControl* control = made.get();
        addControl(control);
        static_cast<void>(made.release());  // the registry owns it now
        return pointerResult(LiveObjects::addressOf(control), PtrType::RobotControlImp,
                             Handout::Owned);
    });
}

PyObject* new_RobotControlFactory(PyObject*, PyObject* args) {
    if (!PyArg_ParseTuple(args, ":new_RobotControlFactory")) return nullptr;
    return guarded([] {
        auto made = std::make_unique<arx::RobotControlFactory>();
        arx::RobotControlFactory* factory = made.get();
        liveObjects().add(factory, PtrType::RobotControlFactory, factory, true);
        static_cast<void>(made.release());
        return pointerResult(factory, PtrType::RobotControlFactory, Handout::Owned);
    });
}

PyObject* delete_RobotControlFactory(PyObject*, PyObject* args) {
    return deleteLive(args, "O:delete_RobotControlFactory", PtrType::RobotControlFactory);
}

PyObject* RobotControlFactory_swigregister(PyObject*, PyObject* args) {
    return registerShadowClass(PtrType::RobotControlFactory, args,
                               "O:RobotControlFactory_swigregister");
}

// The product belongs to the caller but comes without "thisown": a script deletes it with
// delete_RobotControl or sets thisown itself.
PyObject* RobotControlFactory_getRobotControl(PyObject*, PyObject* args) {
    PyObject* self = nullptr;
    if (!PyArg_ParseTuple(args, "O:RobotControlFactory_getRobotControl", &self)) return nullptr;
    PointerText p;
    arx::RobotControlFactory* factory = nullptr;
    if (!readPointer(self, PtrType::RobotControlFactory, p) || !resolveFactory(p, factory)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject* {
        arx::RobotControl* control = factory->getRobotControl();
        if (control == nullptr) Py_RETURN_NONE;
        std::unique_ptr<arx::RobotControl> made(control);
        addControl(control);
        static_cast<void>(made.release());
        return pointerResult(LiveObjects::addressOf(control), PtrType::RobotControl,
                             Handout::Unowned);
    });
}

}  // namespace

void addControlFunctions(std::vector<PyMethodDef>& table) {
    addFlavor<Flavor::Interface>(table);
    addFlavor<Flavor::Imp>(table);
    const PyMethodDef own[] = {
        {"new_RobotControlImp", new_RobotControlImp, METH_VARARGS,
         "new_RobotControlImp($module, /)\n--\n\n"
         "A new RobotControlImp with the default parameters, not initialised.\n\n"
         "Returns the object, owned by the caller (\"thisown\" is 1). Its controller is\n"
         "chosen now: the simulated one when ARXUSB_SIMULATOR is set, the USB device\n"
         "otherwise. Raises MemoryError."},
        {"new_RobotControlFactory", new_RobotControlFactory, METH_VARARGS,
         "new_RobotControlFactory($module, /)\n--\n\n"
         "A new RobotControlFactory.\n\nReturns it, owned by the caller (\"thisown\" is 1).\n"
         "Raises MemoryError."},
        {"delete_RobotControlFactory", delete_RobotControlFactory, METH_VARARGS,
         "delete_RobotControlFactory($module, self, /)\n--\n\n"
         "Delete a factory made by new_RobotControlFactory.\n\n"
         "Returns None. Raises TypeError for an object that is not alive, ValueError for\n"
         "the library's static factory (cvar.RobotControlFactory_theFactory)."},
        {"RobotControlFactory_swigregister", RobotControlFactory_swigregister, METH_VARARGS,
         "RobotControlFactory_swigregister($module, cls, /)\n--\n\n"
         "Register the Python class for RobotControlFactory objects.\n\n"
         "Returns None. Raises TypeError when cls is not callable."},
        {"RobotControlFactory_getRobotControl", RobotControlFactory_getRobotControl, METH_VARARGS,
         "RobotControlFactory_getRobotControl($module, self, /)\n--\n\n"
         "A new robot-control object (a RobotControlImp) with default parameters, not\n"
         "initialised, as a RobotControl.\n\n"
         "self: a RobotControlFactory. Returns the object without \"thisown\": it belongs\n"
         "to the caller, who deletes it with delete_RobotControl (or sets thisown to 1).\n"
         "Returns None when memory cannot be had."},
    };
    table.insert(table.end(), std::begin(own), std::end(own));
}

}  // namespace arxpy
