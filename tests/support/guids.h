// The session GUIDs the tests open sessions with: each chooses a magic.
#pragma once

#include "kovr/kovr.h"

namespace kovr::test {

// {4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}: gives the LORX magic.
inline const KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;
// {85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}: gives the QUMA magic.
inline const KOVR_GUID kQumaGuid = KOVR_QUMA_SESSION_GUID;
// {BF6DB409-C83D-44A3-A36D-21797D2F73F9}: built in, yet gives LORX like any other.
inline const KOVR_GUID kSecondGuid = {0xBF6DB409, 0xC83D, 0x44A3, {0xA3, 0x6D, 0x21, 0x79, 0x7D, 0x2F, 0x73, 0xF9}};

} // namespace kovr::test
