// The toolbar's 16 x 15 button images, drawn in code.
#pragma once

#include <QIcon>

namespace orvane {

QIcon toolbarIcon(int commandId);

}  // namespace orvane
