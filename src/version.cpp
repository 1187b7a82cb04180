#include "version.h"

const char kPylvexVersion[] = PYLVEX_VERSION;
