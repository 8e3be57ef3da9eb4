#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>

namespace {

void setPolicy(std::thread& thread, int policy)
{
    const sched_param none{};
    pthread_setschedparam(thread.native_handle(), policy, &none);
}

} // namespace

// The library keeps the configuration loaded first: the toolkit's own call
// later returns it at once. Until it is waited for, the loading takes only
// a core nobody else wants: the start-up on the way to the bar's map comes
// first.
FontWarmUp::FontWarmUp() : loader_([] { FcInit(); }) { setPolicy(loader_, SCHED_IDLE); }

void FontWarmUp::Wait()
{
    if (!loader_.joinable())
        return;
    setPolicy(loader_, SCHED_OTHER);
    loader_.join();
}
