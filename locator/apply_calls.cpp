#include "locator/apply_calls.h"

namespace kovr::locator {

common::ApplyCalls ApplyCallsOf(const LibrarySeam &library)
{
    return {{library.GetDeviceInfo, library.SetNetwork, library.SetDHCP, library.GetLastError},
            [open = library.OpenByGuid] { return open(&kLocatorSessionGuid); },
            library.Close,
            library.GetLastErrorMessage};
}

} // namespace kovr::locator
