#include "app/framework/pagehost.h"

CPageHost::~CPageHost() = default;
