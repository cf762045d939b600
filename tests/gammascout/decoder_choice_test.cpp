// Which log decoder a firmware version selects.
#include <gtest/gtest.h>

#include "dump_builder.h"

namespace zel {
namespace {

TEST(DecoderChoice, VersionBounds) {
    struct Case {
        double version;
        int decoder;
        erreur_programme refusal;
    } cases[] = {
        {0, 0, gs_Version_erreur},
        {1.0, 1, PasErreur},
        {5.43, 1, PasErreur},
        {5.44, 2, PasErreur},
        {6.016, 2, PasErreur},
        {6.02, 3, PasErreur},
        {6.5, 3, PasErreur},
        {6.9, 0, gs_version_non_supportee},
        {7.0, 0, gs_version_non_supportee},
        {7.01, 4, PasErreur},
        {7.02, 4, PasErreur},
        {7.1, 4, PasErreur},
        {7.2, 0, gs_version_non_supportee},
    };
    for (const auto& c : cases) {
        erreur_programme refusal = PasErreur;
        EXPECT_EQ(ChooseDumpDecoder(c.version, refusal), c.decoder) << c.version;
        EXPECT_EQ(refusal, c.refusal) << c.version;
    }
}

TEST(DecoderChoice, RefusedVersionDecodesNothing) {
    const TextList dump(20, std::string(32, '0'));
    for (double v : {0.0, 6.9, 7.2}) {
        const DumpInput in = test::Input(v, "64");
        const DumpResult r = DecodeDump(dump, in);
        EXPECT_NE(r.status, gs_no_error) << v;
        EXPECT_FALSE(r.walked) << v;
        EXPECT_FALSE(r.serieRead) << v;
        EXPECT_EQ(r.serie, "12345");
        EXPECT_EQ(r.EEPROM, "64");
    }
}

} // namespace
} // namespace zel
