#include "discovery/session.h"

#include <cstring>
#include <new>

#include "discovery/handle_registry.h"
#include "discovery/handles.h"
#include "discovery/platform/fault_injection.h"
#include "discovery/platform/socket_library.h"
#include "discovery/platform/waitable.h"

namespace kovr {

// Limits from callers go to the platform's waits unchanged.
static_assert(KOVR_INFINITE == platform::kWaitForever, "one value for a wait without limit");

namespace {

constexpr uint32_t kDefaultMulticastTtl = 64;
constexpr std::chrono::microseconds kDefaultPollInterval{200000};
constexpr CommandLimits kDefaultLimits{std::chrono::milliseconds(30000), std::chrono::milliseconds(5000)};

// The SessionRegistry. Never destroyed: a call may still be in flight while
// the process exits.
HandleRegistry<DiscoverySession> &SessionRegistry()
{
    static auto *registry = new HandleRegistry<DiscoverySession>;
    return *registry;
}

// In network byte order: the octets in their written order.
uint32_t GroupAddress()
{
    const uint32_t host = KOVR_GROUP_ADDRESS;
    const uint8_t octets[4] = {static_cast<uint8_t>(host >> 24), static_cast<uint8_t>(host >> 16),
                               static_cast<uint8_t>(host >> 8), static_cast<uint8_t>(host)};
    uint32_t address = 0;
    std::memcpy(&address, octets, sizeof address);
    return address;
}

} // namespace

DiscoverySession::DiscoverySession(CreateKey, uint32_t magic, const KOVR_GUID &guid)
    : identity{magic, guid}, transport{kDefaultMulticastTtl, GroupAddress(), kDefaultPort, kDefaultPollInterval},
      limits(kDefaultLimits), search(std::make_shared<SearchState>())
{}

std::shared_ptr<DiscoverySession> DiscoverySession::Create(uint32_t magic, const KOVR_GUID &guid)
{
    if (!platform::StartSocketLibrary()) {
        return nullptr;
    }
    std::shared_ptr<DiscoverySession> session;
    if (!platform::ShouldFail(platform::Fault::SessionAllocation)) {
        try {
            session = std::make_shared<DiscoverySession>(CreateKey{}, magic, guid);
        } catch (const std::bad_alloc &) { // untestable: out of memory
        }
    }
    if (session == nullptr) {
        platform::ReleaseSocketLibrary();
        return nullptr;
    }
    // From here on the destructor releases exactly what was acquired.
    session->search->stopEvent = platform::Event::Create();
    if (session->search->stopEvent != nullptr) {
        session->search->timer = platform::Timer::Create();
    }
    if (session->search->timer == nullptr) {
        return nullptr;
    }
    return session;
}

DiscoverySession::~DiscoverySession()
{
    std::lock_guard<std::mutex> lock(search->control);
    StopSearchWorker(*search);
    search->worker.reset();
    platform::ReleaseSocketLibrary();
}

KOVR_HANDLE CreateSession(uint32_t magic, const KOVR_GUID &guid)
{
    SessionPointer session = DiscoverySession::Create(magic, guid);
    if (session == nullptr) {
        return nullptr;
    }
    return HandleOfSerial<KOVR_HANDLE>(SessionRegistry().Add(std::move(session)));
}

void DestroySession(KOVR_HANDLE handle)
{
    // Out of the registry first, so that no new call finds it; a search
    // that such a call had started meanwhile, or a synchronous one running
    // on another thread, is ended with the session.
    SessionPointer session = SessionRegistry().Remove(SerialOf(handle));
    if (session != nullptr) {
        EndSearches(*session->search);
    }
}

SessionPointer FindSession(KOVR_HANDLE handle)
{
    return handle == nullptr ? nullptr : SessionRegistry().Find(SerialOf(handle));
}

bool IsRegistered(KOVR_HANDLE handle)
{
    return FindSession(handle) != nullptr;
}

} // namespace kovr
