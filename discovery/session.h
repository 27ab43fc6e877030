// The per-open state behind a KOVR_HANDLE, and the SessionRegistry that
// validates handles.
#pragma once

#include <cstdint>
#include <memory>

#include "discovery/commands.h"
#include "discovery/errors.h"
#include "discovery/search.h"
#include "discovery/transport.h"
#include "kovr/kovr.h"

namespace kovr {

constexpr uint32_t kMagicQuma = KOVR_MAGIC_QUMA;
constexpr uint32_t kMagicLorx = KOVR_MAGIC_LORX;
constexpr uint32_t kMagicTesk = KOVR_MAGIC_TESK;
constexpr uint16_t kDefaultPort = KOVR_PORT;

class DiscoverySession {
public:
    // A session with the fixed defaults, or null when one of its resources
    // can't be had. It is not registered yet.
    static std::shared_ptr<DiscoverySession> Create(uint32_t magic, const KOVR_GUID &guid);
    // Ends a search that still runs and releases what Create acquired.
    ~DiscoverySession();
    DiscoverySession(const DiscoverySession &) = delete;
    DiscoverySession &operator=(const DiscoverySession &) = delete;

    DeviceContext Device() { return DeviceContext{identity, transport, limits, policy, errors}; }

    Identity identity;
    TransportSettings transport;
    CommandLimits limits;
    // None at open; set by KOVRSetCommandPolicy.
    CommandPolicy policy;
    ErrorState errors;
    // Shared with the search worker, which may outlive the session when a
    // notification closes it.
    std::shared_ptr<SearchState> search;

private:
    // Sessions are made by Create alone, which needs the constructor public.
    struct CreateKey {};

public:
    DiscoverySession(CreateKey, uint32_t magic, const KOVR_GUID &guid);
};

using SessionPointer = std::shared_ptr<DiscoverySession>;

// Makes and registers a session; its handle, or null.
KOVR_HANDLE CreateSession(uint32_t magic, const KOVR_GUID &guid);
// Takes the session out of the SessionRegistry and ends an asynchronous
// search; the session itself goes when the last call that uses it returns.
void DestroySession(KOVR_HANDLE handle);
// The session behind a handle, held for as long as the caller keeps it;
// null for a handle that is not registered (never read through).
SessionPointer FindSession(KOVR_HANDLE handle);
bool IsRegistered(KOVR_HANDLE handle);

} // namespace kovr
