// RobotControlFactory: hands out new robot-control objects.
#include <new>

#include "robot_control.h"

namespace arx {

RobotControlFactory RobotControlFactory::theFactory;

RobotControl* RobotControlFactory::getRobotControl() {
  return new (std::nothrow) RobotControlImp();
}

}  // namespace arx
