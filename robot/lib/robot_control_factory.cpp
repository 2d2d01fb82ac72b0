// RobotControlFactory: hands out new robot-control objects.
#include <new>

#include "robot_control.h"

namespace arx {

RobotControlFactory RobotControlFactory::theFactory;

RobotControl* RobotControlFactory::getRobotControl() {
    // Null instead of an exception when memory runs out, for the object or for its backend.
    try {
        return new RobotControlImp();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace arx
