// The RobotControl, RobotControlImp and RobotControlFactory functions of _arxusb. The
// RobotControl_ functions take Imp objects too; the RobotControlImp_ ones take only those.
#include <cstdio>
#include <memory>

#include "convert.h"
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
    static constexpr const char* waitdone = "O:RobotControl_waitdone";
    static constexpr const char* home = "Oi:RobotControl_home";
    static constexpr const char* idle = "Oi:RobotControl_idle";
    static constexpr const char* coord = "Oi:RobotControl_coord";
    static constexpr const char* aim = "Oi:RobotControl_aim";
    static constexpr const char* hSensorState = "Oi:RobotControl_hSensorState";
    static constexpr const char* move = "Oii|iOOi:RobotControl_move";
    static constexpr const char* flush = "O:RobotControl_flush";
    static constexpr const char* setGPO = "OOO:RobotControl_setGPO";
    static constexpr const char* getStopButton = "O:RobotControl_getStopButton";
    static constexpr const char* destroy = "O:delete_RobotControl";
    static constexpr const char* swigregister = "O:RobotControl_swigregister";
};

template <>
struct Forms<Flavor::Imp> {
    static constexpr PtrType type = PtrType::RobotControlImp;
    static constexpr const char* init = "O|O:RobotControlImp_init";
    static constexpr const char* waitdone = "O:RobotControlImp_waitdone";
    static constexpr const char* home = "Oi:RobotControlImp_home";
    static constexpr const char* idle = "Oi:RobotControlImp_idle";
    static constexpr const char* coord = "Oi:RobotControlImp_coord";
    static constexpr const char* aim = "Oi:RobotControlImp_aim";
    static constexpr const char* hSensorState = "Oi:RobotControlImp_hSensorState";
    static constexpr const char* move = "Oii|iOOi:RobotControlImp_move";
    static constexpr const char* flush = "O:RobotControlImp_flush";
    static constexpr const char* setGPO = "OOO:RobotControlImp_setGPO";
    static constexpr const char* getStopButton = "O:RobotControlImp_getStopButton";
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

// Reads and resolves the object argument when it is the only pointer argument.
template <Flavor F>
bool target(PyObject* arg, arx::RobotControl*& out) {
    PointerText p;
    return readPointer(arg, Forms<F>::type, p) && resolveTarget<F>(p, out);
}

PyObject* truth(bool value) { return PyLong_FromLong(value ? 1 : 0); }

// The operations that take the object and an axis number.
template <Flavor F, class Operation>
PyObject* axisCall(PyObject* args, const char* form, Operation operation, bool prints = false) {
    PyObject* self = nullptr;
    int axis = 0;
    if (!PyArg_ParseTuple(args, form, &self, &axis)) return nullptr;
    if (prints) flushPythonStdout();
    arx::RobotControl* control = nullptr;
    if (!target<F>(self, control)) return nullptr;
    return guarded([&] { return operation(*control, axis); });
}

// The operations that take the object alone and return nothing.
template <Flavor F, class Operation>
PyObject* plainCall(PyObject* args, const char* form, Operation operation) {
    PyObject* self = nullptr;
    arx::RobotControl* control = nullptr;
    if (!PyArg_ParseTuple(args, form, &self) || !target<F>(self, control)) return nullptr;
    return guarded([&] { return operation(*control); });
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
    arx::RobotControl* control = nullptr;
    arx::RobotControlPar* par = nullptr;  // null keeps the object's parameters
    if (!resolveTarget<F>(selfText, control) || !resolvePar(parText, Null::Allowed, par)) {
        return nullptr;
    }
    return guarded([&] { return truth(control->init(par)); });
}

template <Flavor F>
PyObject* waitdone(PyObject*, PyObject* args) {
    return plainCall<F>(args, Forms<F>::waitdone, [](arx::RobotControl& c) {
        c.waitdone();
        Py_RETURN_NONE;
    });
}

template <Flavor F>
PyObject* flush(PyObject*, PyObject* args) {
    return plainCall<F>(args, Forms<F>::flush, [](arx::RobotControl& c) {
        c.flush();
        Py_RETURN_NONE;
    });
}

template <Flavor F>
PyObject* getStopButton(PyObject*, PyObject* args) {
    return plainCall<F>(args, Forms<F>::getStopButton,
                        [](arx::RobotControl& c) { return truth(c.getStopButton()); });
}

// Homing prints its flag messages on the process's standard output.
template <Flavor F>
PyObject* home(PyObject*, PyObject* args) {
    return axisCall<F>(
        args, Forms<F>::home,
        [](arx::RobotControl& c, int axis) {
            bool done = c.home(axis);
            std::fflush(stdout);
            return truth(done);
        },
        true);
}

template <Flavor F>
PyObject* idle(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::idle,
                       [](arx::RobotControl& c, int axis) { return truth(c.idle(axis)); });
}

template <Flavor F>
PyObject* coord(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::coord, [](arx::RobotControl& c, int axis) {
        return PyLong_FromLong(c.coord(axis));
    });
}

template <Flavor F>
PyObject* aim(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::aim,
                       [](arx::RobotControl& c, int axis) { return PyLong_FromLong(c.aim(axis)); });
}

template <Flavor F>
PyObject* hSensorState(PyObject*, PyObject* args) {
    return axisCall<F>(args, Forms<F>::hSensorState,
                       [](arx::RobotControl& c, int axis) { return truth(c.hSensorState(axis)); });
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
    arx::RobotControl* control = nullptr;
    if (!resolveTarget<F>(p, control)) return nullptr;
    return guarded([&] {
        return PyLong_FromLong(control->move(axis, steps, rampOffset, rise, homing, velocity));
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
    arx::RobotControl* control = nullptr;
    if (!resolveTarget<F>(p, control)) return nullptr;
    return guarded([&] {
        control->setGPO(output, state);
        Py_RETURN_NONE;
    });
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
    const PyMethodDef own[] = {
        {nameOf(N::init), init<F>, METH_VARARGS, nullptr},
        {nameOf(N::waitdone), waitdone<F>, METH_VARARGS, nullptr},
        {nameOf(N::home), home<F>, METH_VARARGS, nullptr},
        {nameOf(N::idle), idle<F>, METH_VARARGS, nullptr},
        {nameOf(N::coord), coord<F>, METH_VARARGS, nullptr},
        {nameOf(N::aim), aim<F>, METH_VARARGS, nullptr},
        {nameOf(N::hSensorState), hSensorState<F>, METH_VARARGS, nullptr},
        {nameOf(N::move), move<F>, METH_VARARGS, nullptr},
        {nameOf(N::flush), flush<F>, METH_VARARGS, nullptr},
        {nameOf(N::setGPO), setGPO<F>, METH_VARARGS, nullptr},
        {nameOf(N::getStopButton), getStopButton<F>, METH_VARARGS, nullptr},
        {nameOf(N::destroy), destroy<F>, METH_VARARGS, nullptr},
        {nameOf(N::swigregister), swigregister<F>, METH_VARARGS, nullptr},
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
        made.release();  // the registry owns it now
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
        made.release();
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
        made.release();
        return pointerResult(LiveObjects::addressOf(control), PtrType::RobotControl,
                             Handout::Unowned);
    });
}

}  // namespace

void addControlFunctions(std::vector<PyMethodDef>& table) {
    addFlavor<Flavor::Interface>(table);
    addFlavor<Flavor::Imp>(table);
    const PyMethodDef own[] = {
        {"new_RobotControlImp", new_RobotControlImp, METH_VARARGS, nullptr},
        {"new_RobotControlFactory", new_RobotControlFactory, METH_VARARGS, nullptr},
        {"delete_RobotControlFactory", delete_RobotControlFactory, METH_VARARGS, nullptr},
        {"RobotControlFactory_swigregister", RobotControlFactory_swigregister, METH_VARARGS,
         nullptr},
        {"RobotControlFactory_getRobotControl", RobotControlFactory_getRobotControl, METH_VARARGS,
         nullptr},
    };
    table.insert(table.end(), std::begin(own), std::end(own));
}

}  // namespace arxpy
