#include "link/bytelink.h"
