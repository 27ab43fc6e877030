// A typed password's bytes: UTF-16 from either window becomes the UTF-8 that
// kovr sends, and what doesn't fit leaves nothing behind.
#include "common/password.h"

#include <gtest/gtest.h>

#include <string>

using kovr::common::Password;

TEST(Password, TypedTextBecomesUtf8OrNothing)
{
    const size_t room = Password::kCapacity - 1;
    struct Case {
        const char *name;
        std::u16string typed;
        bool fits;
        std::string bytes;
    };
    const Case cases[] = {
        {"ASCII", u"secret", true, "secret"},
        {"letters beyond ASCII", u"p\u00E4ss\u6771", true, "p\xC3\xA4ss\xE6\x9D\xB1"},
        {"a surrogate pair", u"\xD83D\xDD11", true, "\xF0\x9F\x94\x91"},
        {"unpaired surrogates", std::u16string(u"a\xDC00") + u"b\xD800", true,
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},
        {"the last byte's room filled", std::u16string(room - 1, u'x') + u"\u00E4", false, ""},
        {"up to the last byte", std::u16string(room - 2, u'x') + u"\u00E4", true,
         std::string(room - 2, 'x') + "\xC3\xA4"},
        {"empty", u"", true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Password password;
        ASSERT_TRUE(password.Assign("old", 3));
        EXPECT_EQ(password.AssignUtf16(c.typed.data(), c.typed.size()), c.fits);
        EXPECT_EQ(std::string(password.c_str(), password.size()), c.bytes);
        EXPECT_EQ(password.c_str()[password.size()], '\0');
    }
}
