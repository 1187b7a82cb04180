// The board port object of the main window (the link layer's CSerialCom).
// Included unconditionally: a conditional include of a header that appears
// later is not seen by the compiler cache, which then mixes object files
// built against two different layouts of the main window.
#pragma once

#include "link/serialcom.h"
