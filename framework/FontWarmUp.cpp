#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

// The library keeps the configuration loaded first: the toolkit's own call
// later returns it at once.
FontWarmUp::FontWarmUp() : loader_([] { FcInit(); }) {}

void FontWarmUp::Wait()
{
    if (loader_.joinable())
        loader_.join();
}
