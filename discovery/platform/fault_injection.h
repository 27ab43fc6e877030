// Test-only seam: makes the n-th attempt of one platform operation fail, so
// that every failure path can be driven from a test. Costs one atomic load
// per attempt when nothing is armed; built only with KOVR_FAULT_INJECTION
// (into the static library that the tests link), and without it every
// check is a constant false that compiles to nothing.
#pragma once

namespace kovr::platform {

enum class Fault {
    SocketLibraryStart,
    SessionAllocation,
    EventCreate,
    TimerCreate,
    ThreadCreate,
    SocketCreate,
    SocketBind,
    SocketOption,
    Poll,
    RecordAllocation,
    ListNodeAllocation,
    FolderSync, // kovr's atomic file writer, after its rename
    kCount
};

#if defined(KOVR_FAULT_INJECTION)

// The n-th attempt from now fails (1 = the next one); every later one succeeds.
// Pass every = true to fail that attempt and every one after it.
void ArmFault(Fault fault, int nth, bool every = false);
void DisarmAllFaults();
// Called by the platform code before it attempts the operation.
bool ShouldFail(Fault fault);

#else

constexpr bool ShouldFail(Fault)
{
    return false;
}

#endif

} // namespace kovr::platform
