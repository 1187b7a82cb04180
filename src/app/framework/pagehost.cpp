#include "app/framework/pagehost.h"

PageHost::~PageHost() = default;
