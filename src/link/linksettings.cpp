#include "link/linksettings.h"

LinkSettings &GlobalLinkSettings()
{
    static LinkSettings settings;
    return settings;
}
