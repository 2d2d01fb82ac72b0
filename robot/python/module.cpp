// The entry point of the _arxusb extension module: function table, constants and cvar.
// The robot-control operations run with the interpreter lock released (see wrap_control.cpp), one
// thread per object at a time; the registry of live objects is touched only with the lock held.
#include <vector>

#include "convert.h"
#include "wrappers.h"

namespace arxpy {
namespace {

std::vector<PyMethodDef>& functionTable() {
    static std::vector<PyMethodDef> table = [] {
        std::vector<PyMethodDef> t;
        addExceptionFunctions(t);
        addParFunctions(t);
        addControlFunctions(t);
        t.push_back({nullptr, nullptr, 0, nullptr});
        return t;
    }();
    return table;
}

PyModuleDef moduleDef = {
    PyModuleDef_HEAD_INIT,
    "_arxusb",
    "Flat wrappers of the arx robot-control library; the arxusb module puts classes over them.\n\n"
    "Lengths are motor steps, speeds the controller's velocity units. Waits release the\n"
    "interpreter lock and end with KeyboardInterrupt on Ctrl-C.",
    -1,       // one module per process: the registry of live objects is process-wide
    nullptr,  // the function table, filled in before the module is made
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

bool addConstants(PyObject* module) {
    const struct {
        const char* name;
        long value;
    } constants[] = {
        {"AXIS_BASE", arx::AXIS_BASE},
        {"AX", arx::AX},
        {"AY", arx::AY},
        {"AZ", arx::AZ},
        {"NEGATIVE", arx::NEGATIVE},
        {"POSITIVE", arx::POSITIVE},
    };
    for (const auto& c : constants) {
        if (PyModule_AddIntConstant(module, c.name, c.value) < 0) return false;
    }
    return true;
}

}  // namespace
}  // namespace arxpy

// CPython finds the module by this name, reserved identifier or not.
PyMODINIT_FUNC PyInit__arxusb() {  // NOLINT(bugprone-reserved-identifier)
    using namespace arxpy;
    PyObject* cvar = globalVariables();
    if (cvar == nullptr) return nullptr;
    moduleDef.m_methods = functionTable().data();
    PyObject* module = PyModule_Create(&moduleDef);
    static bool registered = false;
    if (module != nullptr && !registered) {
        // The static factory is handed out through cvar; it is never freed.
        arx::RobotControlFactory* factory = &arx::RobotControlFactory::theFactory;
        liveObjects().add(factory, PtrType::RobotControlFactory, factory, false);
        registered = true;
    }
    if (module == nullptr || !addConstants(module) ||
        PyModule_AddObjectRef(module, "cvar", cvar) < 0) {
        Py_XDECREF(module);
        Py_DECREF(cvar);
        return nullptr;
    }
    Py_DECREF(cvar);
    return module;
}
