// Argument conversion, pointer results, shadow classes and library exceptions of _arxusb.
#pragma once

#include <Python.h>

#include <exception>
#include <new>

#include "live_objects.h"
#include "pointer_text.h"

namespace arxpy {

// Every function below that returns bool or a pointer reports failure with a Python error set.

// Reads a pointer argument's text: None, the string "NULL", a pointer string, or an object
// whose attribute "this" is one. This may run Python code (attribute lookup), so a wrapper reads
// all its arguments before it resolves any of them.
bool readPointer(PyObject* arg, PtrType expected, PointerText& out);
// (O, integer) for a 32-bit unsigned value: the interpreter's index conversion, range checked.
bool readUnsigned(PyObject* arg, unsigned int& out);
// (O, truth): true when the integer value is not 0; an absent argument is false.
bool readTruth(PyObject* arg, bool& out);

// A wrapper's Python name: the part of its argument form after the colon ("O:delete_X" ->
// "delete_X").
constexpr const char* nameOf(const char* form) {
    while (*form != ':') ++form;
    return form + 1;
}

// Whether resolving a null pointer is an error.
enum class Null { Refused, Allowed };

// Resolution runs no Python code. A text that names no live object of an accepted type raises
// TypeError "Type error. Expected <type name>"; a refused null raises TypeError "null reference".
bool resolveControl(const PointerText& p, arx::RobotControl*& out);  // RobotControl or Imp
bool resolveImp(const PointerText& p, arx::RobotControlImp*& out);
bool resolveFactory(const PointerText& p, arx::RobotControlFactory*& out);
bool resolvePar(const PointerText& p, Null null, arx::RobotControlPar*& out);
bool resolveFlagDirArray(const PointerText& p, arx::FLAG_DIR*& out);
bool resolveUnsignedArray(const PointerText& p, unsigned int*& out);
// One of the four exception types: the address of the live object.
bool resolveException(const PointerText& p, PtrType type, void*& out);

PyObject* typeError(PtrType expected);
PyObject* nullReference();

// The class registered for the type by its _swigregister function, or null.
PyObject* shadowClass(PtrType type);
// Registers cls for the type (a callable); replaces an earlier one.
PyObject* registerShadowClass(PtrType type, PyObject* args, const char* form);

enum class Handout {
    Borrowed,  // an object that lives on without Python: an array, the static factory
    Owned,     // made by a new_ function: the instance gets thisown = 1
    Unowned,   // made for the caller but given without ownership (the factory's product)
};
// The pointer result of a function: the registered class called with the pointer string, or
// the string itself. A new object whose wrapping fails is deleted again.
PyObject* pointerResult(const void* address, PtrType type, Handout handout);

// A delete_ function: frees the live object that the single argument names (of the type, or
// for RobotControl an Imp as well), then sets "thisown" to 0 on the argument itself when it is an
// instance, so that its own destructor does not free the object again.
PyObject* deleteLive(PyObject* args, const char* form, PtrType type);

// Sets the Python error for a library exception: an instance of the registered shadow class of
// its type (a RuntimeError naming the class when none is registered), whose args are (text,)
// when a text is given. Returns null.
PyObject* raiseLibraryException(PtrType type, const char* text = nullptr);

// Thrown through the library out of a wait that a signal handler (Ctrl-C) ended; the Python
// error is already set.
struct Interrupted {};

// The text an exception carries, or null when it carries none.
inline const char* textOf(const arx::ExceptionText& e) {
    return e.text().empty() ? nullptr : e.text().c_str();
}

// Runs a library call; its exceptions become Python exceptions and never leave the module.
// readErrorText, when given, is the text of a ReadErrorEx, and timeoutText that of a TimeoutEx.
template <class Call>
PyObject* guarded(Call&& call, const char* readErrorText = nullptr,
                  const char* timeoutText = nullptr) {
    try {
        return call();
    } catch (const Interrupted&) {
        return nullptr;
    } catch (const arx::RobotParEx& e) {
        return raiseLibraryException(PtrType::RobotParEx, textOf(e));
    } catch (const arx::TimeoutEx& e) {
        return raiseLibraryException(PtrType::TimeoutEx, timeoutText ? timeoutText : textOf(e));
    } catch (const arx::ReadErrorEx& e) {
        return raiseLibraryException(PtrType::ReadErrorEx,
                                     readErrorText ? readErrorText : textOf(e));
    } catch (const arx::WriteErrorEx& e) {
        return raiseLibraryException(PtrType::WriteErrorEx, textOf(e));
    } catch (const arx::UnreliableFlagEx& e) {
        return raiseLibraryException(PtrType::UnreliableFlagEx, textOf(e));
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
        return nullptr;
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception in the robot library");
        return nullptr;
    }
}

// Flushes Python's sys.stdout before a call that prints on the process's standard output, so
// that a script's own output and the library's arrive in the order they were made.
void flushPythonStdout();

}  // namespace arxpy
