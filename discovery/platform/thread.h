// Worker threads: started running at once, joined and released in one step.
#pragma once

namespace kovr::platform {

struct Thread;

using ThreadRoutine = void (*)(void *argument);

// A running thread, or null when it can't be created.
Thread *StartThread(ThreadRoutine routine, void *argument);
// Waits without limit for the thread to end, then releases it.
void JoinThread(Thread *thread);

} // namespace kovr::platform
