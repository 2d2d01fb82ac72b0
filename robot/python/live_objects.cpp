// The library objects that _arxusb handed to Python, so that a forged or stale pointer string
// is refused instead of being followed into memory.
#include "live_objects.h"

#include <iterator>
#include <new>

namespace arxpy {
namespace {

std::uintptr_t key(const void* address) { return reinterpret_cast<std::uintptr_t>(address); }

// Runs the destructor and returns the storage, which the caller frees (or keeps for a while).
template <class T>
void* destruct(void* object) {
    static_cast<T*>(object)->~T();
    return object;
}

void* destructObject(PtrType type, void* object) {
    switch (type) {
    case PtrType::RobotControl:
    case PtrType::RobotControlImp: {
        // The interface's destructor is virtual; the storage begins at the most-derived object.
        auto* control = static_cast<arx::RobotControl*>(object);
        void* storage = dynamic_cast<void*>(control);
        control->~RobotControl();
        return storage;
    }
    case PtrType::RobotControlFactory: return destruct<arx::RobotControlFactory>(object);
    case PtrType::RobotControlPar: return destruct<arx::RobotControlPar>(object);
    case PtrType::RobotParEx: return destruct<arx::RobotParEx>(object);
    case PtrType::ReadErrorEx: return destruct<arx::ReadErrorEx>(object);
    case PtrType::WriteErrorEx: return destruct<arx::WriteErrorEx>(object);
    case PtrType::UnreliableFlagEx: return destruct<arx::UnreliableFlagEx>(object);
    case PtrType::TimeoutEx: return destruct<arx::TimeoutEx>(object);
    case PtrType::FlagDirArray:
    case PtrType::UnsignedArray: break;  // arrays belong to their record
    }
    return nullptr;
}

bool startsArray(const arx::RobotControlPar& par, const void* address, PtrType arrayType) {
    if (arrayType == PtrType::FlagDirArray) return address == par.flagdir;
    const unsigned int* arrays[] = {par.accel,    par.v_max,   par.v_home_f,
                                    par.v_home_s, par.maxstep, par.homestep};
    for (const unsigned int* array : arrays) {
        if (address == array) return true;
    }
    return false;
}

void disown(const std::vector<PyObject*>& shadows) {
    for (PyObject* ref : shadows) {
        PyObject* instance = PyWeakref_GetObject(ref);  // borrowed; None once the instance died
        if (instance != nullptr && instance != Py_None) {
            Py_INCREF(instance);
            if (PyObject_SetAttrString(instance, "thisown", Py_False) < 0) PyErr_Clear();
            Py_DECREF(instance);
        }
        Py_DECREF(ref);
    }
}

}  // namespace

void LiveObjects::add(const void* address, PtrType type, void* object, bool deletable) {
    objects_[key(address)] = LiveObject{type, object, deletable, {}};
}

LiveObject* LiveObjects::find(const void* address) {
    auto it = objects_.find(key(address));
    return it == objects_.end() ? nullptr : &it->second;
}

arx::RobotControlPar* LiveObjects::recordOfArray(const void* address, PtrType arrayType) {
    // The arrays lie inside their record: only the record at or below the address can hold it.
    auto it = objects_.upper_bound(key(address));
    if (it == objects_.begin()) return nullptr;
    LiveObject& candidate = std::prev(it)->second;
    if (candidate.type != PtrType::RobotControlPar) return nullptr;
    auto* par = static_cast<arx::RobotControlPar*>(candidate.object);
    return startsArray(*par, address, arrayType) ? par : nullptr;
}

void LiveObjects::addShadow(const void* address, PyObject* instance) {
    LiveObject* live = find(address);
    if (live == nullptr) return;
    PyObject* ref = PyWeakref_NewRef(instance, nullptr);
    if (ref == nullptr) {
        PyErr_Clear();  // a class without weak references: its instances are simply not tracked
        return;
    }
    // Drop references to instances that died, so that a long-lived object (the static factory,
    // read again and again through cvar) does not collect them without end.
    std::erase_if(live->shadows, [](PyObject* old) {
        if (PyWeakref_GetObject(old) != Py_None) return false;
        Py_DECREF(old);
        return true;
    });
    live->shadows.push_back(ref);
}

void LiveObjects::release(const void* address) {
    LiveObject* live = find(address);
    if (live == nullptr) return;
    live->busy = false;
    if (live->doomed) destroy(address);
}

void LiveObjects::destroy(const void* address) {
    auto it = objects_.find(key(address));
    if (it == objects_.end()) return;
    if (it->second.busy) {
        // Another thread is inside the object with the interpreter lock released.
        it->second.doomed = true;
        return;
    }
    LiveObject gone = std::move(it->second);
    objects_.erase(it);
    retire(destructObject(gone.type, gone.object));
    // Last, as setting an attribute can run Python code that calls back into the module.
    disown(gone.shadows);
}

void LiveObjects::retire(void* storage) {
    if (storage == nullptr) return;
    retired_.push_back(storage);
    if (retired_.size() > kRetiredLimit) {
        // Every object came from a plain new-expression: its storage from ::operator new.
        ::operator delete(retired_.front());
        retired_.pop_front();
    }
}

LiveObjects& liveObjects() {
    static LiveObjects registry;
    return registry;
}

}  // namespace arxpy
