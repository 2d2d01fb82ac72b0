// The public interface of the arx robot library in one include.
#pragma once

#include "robot_constants.h"
#include "robot_control.h"
#include "robot_control_par.h"
#include "robot_exceptions.h"
