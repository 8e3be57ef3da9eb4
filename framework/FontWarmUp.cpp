#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>

namespace {

bool setPolicy(std::thread& thread, int policy)
{
    const sched_param none{};
    return pthread_setschedparam(thread.native_handle(), policy, &none) == 0;
}

} // namespace

// The library keeps the configuration loaded first: the toolkit's own call
// later returns it at once.
FontWarmUp::FontWarmUp() : loader_([this] {
    FcInit();
    loaded_ = true;
})
{
    setPolicy(loader_, SCHED_IDLE);
}

// Lifting a thread out of idle priority takes a right the program may not
// have: rather than wait for a starved thread, the configuration is loaded
// here. The library keeps one of the two loads and drops the other.
void FontWarmUp::Wait()
{
    if (!loaded_)
        FcInit();
}

FontWarmUp::~FontWarmUp()
{
    setPolicy(loader_, SCHED_OTHER);
    loader_.join();
}
