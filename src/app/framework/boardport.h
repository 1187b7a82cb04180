// The board port object of the main window.
#pragma once

#include "link/serialcom.h"
