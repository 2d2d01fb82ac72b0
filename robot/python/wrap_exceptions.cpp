// The functions of the four exception classes: new_, delete_ and _swigregister for each.
#include <memory>

#include <string>

#include "convert.h"
#include "docstrings.h"
#include "wrappers.h"

namespace arxpy {
namespace {

template <PtrType T>
struct Exception;

// The argument forms of an exception class's three functions, named after the class.
#define ARXPY_EXCEPTION_FORMS(Name)                                             \
    template <>                                                                 \
    struct Exception<PtrType::Name> {                                           \
        using Type = arx::Name;                                                 \
        static constexpr const char* make = ":new_" #Name;                      \
        static constexpr const char* destroy = "O:delete_" #Name;               \
        static constexpr const char* swigregister = "O:" #Name "_swigregister"; \
    }

ARXPY_EXCEPTION_FORMS(RobotParEx);
ARXPY_EXCEPTION_FORMS(ReadErrorEx);
ARXPY_EXCEPTION_FORMS(WriteErrorEx);
ARXPY_EXCEPTION_FORMS(UnreliableFlagEx);
ARXPY_EXCEPTION_FORMS(TimeoutEx);
#undef ARXPY_EXCEPTION_FORMS

template <PtrType T>
PyObject* make(PyObject*, PyObject* args) {
    if (!PyArg_ParseTuple(args, Exception<T>::make)) return nullptr;
    return guarded([] {
        auto made = std::make_unique<typename Exception<T>::Type>();
        void* object = made.get();
        liveObjects().add(object, T, object, true);
        static_cast<void>(made.release());  // the registry owns it now
        return pointerResult(object, T, Handout::Owned);
    });
}

template <PtrType T>
PyObject* destroy(PyObject*, PyObject* args) {
    return deleteLive(args, Exception<T>::destroy, T);
}

template <PtrType T>
PyObject* swigregister(PyObject*, PyObject* args) {
    return registerShadowClass(T, args, Exception<T>::swigregister);
}

template <PtrType T>
void addException(std::vector<PyMethodDef>& table) {
    const std::string name = std::string(nameOf(Exception<T>::make)).substr(sizeof("new_") - 1);
    table.push_back({nameOf(Exception<T>::make), make<T>, METH_VARARGS,
                     keepDoc(fillIn("new_{T}($module, /)\n--\n\n"
                                    "A new {T} library object (the library raises this type;\n"
                                    "scripts may make one to raise their own).\n\n"
                                    "Returns it, owned by the caller (\"thisown\" is 1).\n"
                                    "Raises MemoryError.",
                                    name))});
    table.push_back({nameOf(Exception<T>::destroy), destroy<T>, METH_VARARGS,
                     keepDoc(fillIn("delete_{T}($module, self, /)\n--\n\n"
                                    "Delete a {T} object. Returns None and sets \"thisown\" to 0\n"
                                    "on the instance. Raises TypeError for an object that is not\n"
                                    "alive.",
                                    name))});
    table.push_back({nameOf(Exception<T>::swigregister), swigregister<T>, METH_VARARGS,
                     keepDoc(fillIn("{T}_swigregister($module, cls, /)\n--\n\n"
                                    "Register the Python class raised for the library's {T}\n"
                                    "(an Exception subclass, so that it can be raised).\n\n"
                                    "Returns None. Raises TypeError when cls is not callable.",
                                    name))});
}

}  // namespace

void addExceptionFunctions(std::vector<PyMethodDef>& table) {
    addException<PtrType::RobotParEx>(table);
    addException<PtrType::ReadErrorEx>(table);
    addException<PtrType::WriteErrorEx>(table);
    addException<PtrType::UnreliableFlagEx>(table);
    addException<PtrType::TimeoutEx>(table);
}

}  // namespace arxpy
