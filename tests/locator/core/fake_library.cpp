#include "tests/locator/core/fake_library.h"

#include "common/device_challenge.h"
#include "common/ipv4_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kovr::test {

namespace {
FakeLibrary *g_fake = nullptr;
}

// The seam's entries: plain functions over the one live fake.
struct FakeCalls {
    using Lock = std::lock_guard<std::recursive_mutex>;

    static KOVR_HANDLE OpenByGuid(const KOVR_GUID *guid)
    {
        Lock lock(g_fake->mutex_);
        ++g_fake->opens;
        if (g_fake->openFails || !guid || std::memcmp(guid, &locator::kLocatorSessionGuid, sizeof *guid) != 0) {
            return nullptr;
        }
        auto h = reinterpret_cast<KOVR_HANDLE>(g_fake->nextHandle_++);
        g_fake->open_.insert(h);
        return h;
    }
    static void Close(KOVR_HANDLE h)
    {
        Lock lock(g_fake->mutex_);
        g_fake->closed.push_back(h);
        g_fake->open_.erase(h);
        g_fake->lastErrors_.erase(h);
        g_fake->policies_.erase(h);
    }
    static int32_t GetLastError(KOVR_HANDLE h)
    {
        Lock lock(g_fake->mutex_);
        return g_fake->IsOpen(h) ? g_fake->lastErrors_[h].first : -1;
    }
    static int32_t GetLastErrorMessage(KOVR_HANDLE h, char *buffer, uint32_t size)
    {
        Lock lock(g_fake->mutex_);
        if (!g_fake->IsOpen(h) || !buffer || size == 0) {
            return -1;
        }
        std::strncpy(buffer, g_fake->lastErrors_[h].second.c_str(), size - 1);
        buffer[size - 1] = '\0';
        return 0;
    }
    static int32_t Search(KOVR_HANDLE h, std::vector<KOVRDeviceInfoRecord> &found, common::SearchWakeup &wakeup,
                          common::ChallengeSightings &sightings)
    {
        {
            Lock lock(g_fake->mutex_);
            ++g_fake->searches;
            g_fake->searchWakeup = &wakeup;
        }
        if (g_fake->onSearch) {
            g_fake->onSearch();
        }
        Lock lock(g_fake->mutex_);
        if (!g_fake->IsOpen(h)) {
            return -1;
        }
        found = g_fake->devices;
        sightings.Add(g_fake->devices);
        sightings.Add(g_fake->otherReplies);
        return static_cast<int32_t>(found.size());
    }
    static void StopSearch(KOVR_HANDLE)
    {
        Lock lock(g_fake->mutex_);
        ++g_fake->stopSearches;
    }
    static int32_t GetDeviceInfo(KOVR_HANDLE h, const uint8_t *mac, KOVRDeviceInfoRecord *record)
    {
        Lock lock(g_fake->mutex_);
        const int poll = ++g_fake->deviceInfoPolls;
        if (!g_fake->IsOpen(h) || !mac || !record) {
            return -1;
        }
        if (!g_fake->deviceAnswers(poll)) {
            return -2;
        }
        if (KOVRDeviceInfoRecord *device = Device(ToMac(mac))) {
            *record = *device;
        }
        return 0;
    }
    static int32_t SetCommandPolicy(KOVR_HANDLE h, uint32_t policy)
    {
        Lock lock(g_fake->mutex_);
        if (!g_fake->IsOpen(h) || (policy & ~KOVR_POLICY_REQUIRE_CHALLENGE) != 0) {
            return -1;
        }
        g_fake->policies_[h] = policy;
        return 0;
    }
    // The library's refusal under the policy, with nothing sent.
    static bool RefusedUnchallenged(KOVR_HANDLE h, const uint8_t *mac)
    {
        Lock lock(g_fake->mutex_);
        const auto policy = g_fake->policies_.find(h);
        const KOVRDeviceInfoRecord *device = Device(ToMac(mac));
        if (!g_fake->IsOpen(h) || policy == g_fake->policies_.end() ||
            (policy->second & KOVR_POLICY_REQUIRE_CHALLENGE) == 0 || (device && common::OffersChallenge(*device))) {
            return false;
        }
        g_fake->lastErrors_[h] = {KOVR_ERROR_NO_CHALLENGE, KOVR_NO_CHALLENGE_MESSAGE};
        return true;
    }
    static int32_t RebootDevice(KOVR_HANDLE h, const uint8_t *mac, const char *password)
    {
        if (RefusedUnchallenged(h, mac)) {
            return KOVR_FAILED;
        }
        Record(&FakeLibrary::rebootCalls, {h, ToMac(mac), password ? password : ""});
        return g_fake->FinishCommand(h, ToMac(mac));
    }
    static int32_t SetNetwork(KOVR_HANDLE h, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway,
                              const char *password)
    {
        if (RefusedUnchallenged(h, mac)) {
            return KOVR_FAILED;
        }
        Record(&FakeLibrary::networkCalls, {h, ToMac(mac), ip, mask, gateway, password ? password : ""});
        const int32_t result = g_fake->FinishCommand(h, ToMac(mac));
        Lock lock(g_fake->mutex_);
        if (KOVRDeviceInfoRecord *device = Device(ToMac(mac)); device && result == 0) {
            device->presentFields |=
                KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_SUBNET_MASK | KOVR_FIELD_GATEWAY_ADDRESS | KOVR_FIELD_DHCP_MODE;
            device->dhcpMode = KOVR_DHCP_DISABLED;
            device->ipAddress = ip;
            device->subnetMask = mask;
            device->gatewayAddress = gateway;
        }
        return result;
    }
    static int32_t SetDHCP(KOVR_HANDLE h, const uint8_t *mac, int32_t mode, const char *password)
    {
        if (RefusedUnchallenged(h, mac)) {
            return KOVR_FAILED;
        }
        Record(&FakeLibrary::dhcpCalls, {h, ToMac(mac), mode, password ? password : ""});
        const int32_t result = g_fake->FinishCommand(h, ToMac(mac));
        Lock lock(g_fake->mutex_);
        if (KOVRDeviceInfoRecord *device = Device(ToMac(mac)); device && result == 0) {
            device->presentFields |= KOVR_FIELD_DHCP_MODE;
            device->dhcpMode = static_cast<uint8_t>(mode);
        }
        return result;
    }
    template <typename Call>
    static void Record(std::vector<Call> FakeLibrary::*calls, Call call)
    {
        Lock lock(g_fake->mutex_);
        (g_fake->*calls).push_back(std::move(call));
    }
    static KOVRDeviceInfoRecord *Device(const FakeLibrary::Mac &mac)
    {
        for (KOVRDeviceInfoRecord &device : g_fake->devices) {
            if (std::memcmp(device.macAddress, mac.data(), mac.size()) == 0) {
                return &device;
            }
        }
        return nullptr;
    }
    static KOVRDeviceInfoRecord *CopyRecord(const KOVRDeviceInfoRecord *record)
    {
        Lock lock(g_fake->mutex_);
        ++g_fake->copies;
        KOVRDeviceInfoRecord *copy = locator::CopyRecordOnHeap(record);
        g_fake->liveCopies_.insert(copy);
        return copy;
    }
    static void ReleaseRecord(KOVRDeviceInfoRecord *copy)
    {
        Lock lock(g_fake->mutex_);
        // A copy released twice, or one the window never made, is a fault.
        if (g_fake->liveCopies_.erase(copy) != 1) {
            std::fputs("release of a record copy that is not live\n", stderr);
            std::abort();
        }
        ++g_fake->releases;
        locator::ReleaseRecordOnHeap(copy);
    }
    static FakeLibrary::Mac ToMac(const uint8_t *mac)
    {
        FakeLibrary::Mac out{};
        if (mac) {
            std::memcpy(out.data(), mac, out.size());
        }
        return out;
    }
};

FakeLibrary::FakeLibrary()
{
    if (g_fake) {
        throw std::logic_error("one FakeLibrary at a time");
    }
    g_fake = this;
}

FakeLibrary::~FakeLibrary()
{
    g_fake = nullptr;
}

const locator::LibrarySeam &FakeLibrary::Seam() const
{
    static const locator::LibrarySeam table = {
        FakeCalls::OpenByGuid,    FakeCalls::Close,      FakeCalls::GetLastError,     FakeCalls::GetLastErrorMessage,
        FakeCalls::Search,        FakeCalls::StopSearch, FakeCalls::GetDeviceInfo,    FakeCalls::RebootDevice,
        FakeCalls::SetNetwork,    FakeCalls::SetDHCP,    FakeCalls::SetCommandPolicy, FakeCalls::CopyRecord,
        FakeCalls::ReleaseRecord,
    };
    return table;
}

int32_t FakeLibrary::FinishCommand(KOVR_HANDLE h, const Mac &mac)
{
    if (onCommand) {
        onCommand();
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!IsOpen(h)) {
        return -1;
    }
    const auto own = commandResults.find(mac);
    const int32_t result = own != commandResults.end() ? own->second : commandResult;
    lastErrors_[h] =
        result == 0 ? std::make_pair(0, std::string("Operation succeeded")) : std::make_pair(errorNumber, errorMessage);
    return result;
}

KOVRDeviceInfoRecord MakeRecord(const FakeLibrary::Mac &mac, const char *ip, const char *name, const char *product)
{
    KOVRDeviceInfoRecord record{};
    record.recordSize = sizeof record;
    record.version = 512;
    record.presentFields =
        KOVR_FIELD_MAC_ADDRESS | KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_DEVICE_NAME | KOVR_FIELD_PRODUCT_NAME;
    std::memcpy(record.macAddress, mac.data(), mac.size());
    record.ipAddress = Address(ip);
    std::strncpy(record.deviceName, name, sizeof record.deviceName - 1);
    std::strncpy(record.productName, product, sizeof record.productName - 1);
    return record;
}

KOVRDeviceInfoRecord SettingsRecord(const FakeLibrary::Mac &mac, const char *product, uint8_t dhcpMode,
                                    bool dhcpReported)
{
    KOVRDeviceInfoRecord record = MakeRecord(mac, "10.77.1.10", "lab-1", product);
    record.subnetMask = Address("255.255.255.0");
    record.gatewayAddress = Address("10.77.1.254");
    record.dhcpMode = dhcpMode;
    if (dhcpReported) {
        record.presentFields |= KOVR_FIELD_DHCP_MODE;
    }
    return record;
}

KOVRDeviceInfoRecord WithChallenge(KOVRDeviceInfoRecord record)
{
    record.presentFields |= KOVR_FIELD_NONCE;
    record.nonceLength = common::kChallengeSize;
    for (uint8_t i = 0; i < common::kChallengeSize; ++i) {
        record.nonce[i] = static_cast<uint8_t>(0xa0 + i);
    }
    return record;
}

FakeLibrary::Mac MacOf(int n)
{
    return {0x02, 0x00, 0x00, 0x00, 0x00, static_cast<uint8_t>(n)};
}

std::vector<KOVRDeviceInfoRecord> SubnetDevices(int count)
{
    std::vector<KOVRDeviceInfoRecord> devices;
    for (int n = 1; n <= count; ++n) {
        const std::string ip = "10.77.1." + std::to_string(10 + n);
        const std::string name = "cam-" + std::to_string(n);
        KOVRDeviceInfoRecord record = MakeRecord(MacOf(n), ip.c_str(), name.c_str());
        record.presentFields |= KOVR_FIELD_SUBNET_MASK | KOVR_FIELD_GATEWAY_ADDRESS | KOVR_FIELD_DHCP_MODE;
        record.subnetMask = Address("255.255.255.0");
        record.gatewayAddress = Address("10.77.1.1");
        devices.push_back(record);
    }
    return devices;
}

const std::vector<common::LocalSubnet> kLabSubnets = {{Address("10.77.1.1"), Address("255.255.255.0")}};

uint32_t Address(const char *dotted)
{
    const std::optional<uint32_t> address = kovr::common::ParseIpv4(dotted);
    if (!address) {
        throw std::invalid_argument(dotted);
    }
    return *address;
}

void Gate::Pass()
{
    std::unique_lock<std::mutex> lock(mutex_);
    reached_ = true;
    opened_.wait(lock, [this] { return open_; });
}

bool Gate::Reached() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return reached_;
}

void Gate::Open()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
    }
    opened_.notify_all();
}

} // namespace kovr::test
