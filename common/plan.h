// A plan for configuring many devices at once: the network setting each
// listed device should have, read from CSV with a header or from a JSON
// array of objects with the same keys, and checked whole before anything
// is sent.
#pragma once

#include "common/mac_address_text.h"
#include "common/password.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kovr::common {

// One row as read: where it stands ("line 3" or "index 2"), its cells
// under lower-case column names (empty cells left out), and its password
// kept apart so that it can be wiped.
struct PlanRow {
    std::string where;
    std::map<std::string, std::string> cells;
    std::unique_ptr<Password> password;
};

// The rows of a CSV or JSON plan (JSON when the text starts with '[').
// False with a message when the text can't be read as either; a message
// names the line or index at fault.
bool ReadPlanText(const std::string &text, std::vector<PlanRow> &rows, std::string &error);

enum class Request {
    None,   // only the MAC (or DHCP off without addresses): nothing to change
    Dhcp,   // take the settings from DHCP
    Static, // the address, mask and gateway given
};

struct NetworkSetting {
    uint32_t ip = 0; // network order
    uint32_t mask = 0;
    uint32_t gateway = 0;
};

struct PlanEntry {
    std::string where;
    MacAddress mac;
    Request request = Request::None;
    NetworkSetting setting;             // Static only
    std::unique_ptr<Password> password; // none: the one password serves
};

// Checks every row and turns the plan into entries; every fault found is
// appended to errors, each naming its row, and then no entry is returned.
std::vector<PlanEntry> ValidatePlan(std::vector<PlanRow> rows, std::vector<std::string> &errors);

} // namespace kovr::common
