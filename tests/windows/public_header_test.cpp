// The public header on Windows: C programs compile it, and without
// <windows.h> first its handle types are still the system's own.
#include "kovr/kovr.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

extern "C" size_t PublicRecordSizeFromC(void);
extern "C" int OpenAndCloseFromC(void);

static_assert(std::is_same<KOVR_EVENT, HANDLE>::value, "KOVR_EVENT is a HANDLE");
static_assert(std::is_same<KOVR_WINDOW, HWND>::value, "KOVR_WINDOW is an HWND");

TEST(PublicHeader, CompilesAsCAndCallsIntoTheDll)
{
    EXPECT_EQ(PublicRecordSizeFromC(), 852u);
    EXPECT_EQ(OpenAndCloseFromC(), 0);
}
