#include "link/termlink.h"
