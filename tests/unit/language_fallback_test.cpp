#include "msi/language_fallback.h"

#include <gtest/gtest.h>

namespace {

struct FallbackCase {
    unsigned langId;
    unsigned expected;
};

TEST(PrimaryLanguageFallback, MapsToThePrimaryLanguageWithItsDefaultSublanguage) {
    const FallbackCase cases[] = {
        {2057, 1033},                   // English (United Kingdom) -> English (United States)
        {1033, 1033},     {2060, 1036}, // French (Belgium) -> French (France)
        {1049, 1049},                   // already the default: looked for again under the same name
        {3082, 1034},                   // Spanish (modern sort) -> Spanish (traditional sort)
        {2070, 1046},                   // Portuguese (Portugal) -> Portuguese (Brazil)
        {0x047F, 0x047F},               // the invariant language is not neutral
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "LangId " << c.langId);
        EXPECT_EQ(PrimaryLanguageFallback(c.langId), c.expected);
    }
}

TEST(PrimaryLanguageFallback, ChoosesChineseByScript) {
    const FallbackCase cases[] = {
        {3076, 1028},   // Hong Kong -> Taiwan (traditional)
        {1028, 1028},   // Taiwan
        {5124, 1028},   // Macao -> Taiwan
        {2052, 2052},   // PRC (simplified)
        {4100, 2052},   // Singapore -> PRC
        {0x7C04, 1028}, // any other Chinese identifier -> Taiwan
        {0x0004, 1028}, {0x7804, 1028},
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "LangId " << c.langId);
        EXPECT_EQ(PrimaryLanguageFallback(c.langId), c.expected);
    }
}

TEST(PrimaryLanguageFallback, NeutralLanguagesHaveNone) {
    const unsigned neutral[] = {0x0000, 0x0400, 0x0800, 0x1000};
    for (unsigned langId : neutral) {
        SCOPED_TRACE(testing::Message() << "LangId " << langId);
        EXPECT_EQ(PrimaryLanguageFallback(langId), 0u);
    }
}

} // namespace
