// The help address is the help page's whatever language code cg_conf.txt holds.
#include <gtest/gtest.h>

#include "app/app.h"

using namespace zel;

TEST(HelpAddress, LanguageCodeIsPercentEncoded) {
    const std::string page = "https://zelvanor.github.io/ressources/zelvanor/zelvanor_";
    struct Case {
        const char* code;
        const char* encoded;
    } cases[] = {
        {"FR", "fr"},
        {"pt-BR", "pt-br"},
        {"../../evil", "%2E%2E%2F%2E%2E%2Fevil"},
        {"x?y=1#z", "x%3Fy%3D1%23z"},
        {"@host/", "%40host%2F"},
        {"a b%", "a%20b%25"},
        {"é", "%C3%A9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AdresseAide(c.code), page + c.encoded + ".htm") << c.code;
}
