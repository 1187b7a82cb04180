// The version every program prints and the package carries; it is set once,
// in the project's CMakeLists.txt.
#pragma once

extern const char kPylvexVersion[];
