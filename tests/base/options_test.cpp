// The option reader every program shares.
#include <gtest/gtest.h>

#include "base/options.h"

using namespace zel;

namespace {

const std::vector<OptionDef> kDefs = {
    {"port", true}, {"do", true}, {"json", false}, {"help", false}};

// Options as "name=value" (a switch as its name), then "|", then the operands.
std::string Show(const ParsedArgs& p) {
    std::string s;
    for (const auto& o : p.options)
        s += o.name + (o.value.empty() ? "" : "=" + o.value) + " ";
    s += "|";
    for (const auto& a : p.operands)
        s += " " + a;
    return s;
}

} // namespace

TEST(ParseOptions, FormsAndReasons) {
    const struct {
        std::vector<std::string> args;
        const char* parsed; // nullptr: refused with `error`
        const char* error;
    } cases[] = {
        {{"--port", "/dev/x", "f"}, "port=/dev/x | f", ""},
        {{"--port=/dev/x", "f"}, "port=/dev/x | f", ""},
        {{"--port=", "f"}, "port | f", ""},
        {{"--port", "a=b"}, "port=a=b |", ""},
        {{"a", "--do", "x", "b", "--do=y", "--json"}, "do=x do=y json | a b", ""},
        {{"-h"}, "help |", ""},
        {{"--", "--json", "-"}, "| --json -", ""},
        {{"-"}, "| -", ""},
        {{"--port"}, nullptr, "--port needs a value"},
        {{"--json=yes"}, nullptr, "--json takes no value"},
        {{"--frob"}, nullptr, "unknown option --frob"},
        {{"--frob=1"}, nullptr, "unknown option --frob"},
        {{"-x"}, nullptr, "unknown option -x"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        ParsedArgs p;
        std::string error;
        const bool ok = ParseOptions(c.args, kDefs, p, error);
        if (c.parsed) {
            ASSERT_TRUE(ok) << error;
            EXPECT_EQ(Show(p), c.parsed);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(error, c.error);
        }
    }
}

TEST(ParseOptions, TheLastOccurrenceCounts) {
    ParsedArgs p;
    std::string error;
    ASSERT_TRUE(ParseOptions({"--port", "a", "--port=b"}, kDefs, p, error));
    ASSERT_TRUE(p.has("port"));
    EXPECT_EQ(*p.last("port"), "b");
    EXPECT_FALSE(p.has("json"));
    EXPECT_EQ(p.last("do"), nullptr);
}
