// What a download makes of a server's status.
#include "foundation/http_text.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpText, StatusDecidesBetweenTakingRetryingAndGivingUp) {
    const std::pair<unsigned long, HttpAnswer> cases[] = {
        {200, HttpAnswer::Whole},   {206, HttpAnswer::Part},    {500, HttpAnswer::Retry},
        {503, HttpAnswer::Retry},   {599, HttpAnswer::Retry},   {404, HttpAnswer::Refused},
        {403, HttpAnswer::Refused}, {416, HttpAnswer::Refused}, {302, HttpAnswer::Refused},
        {204, HttpAnswer::Refused}, {600, HttpAnswer::Refused}, {0, HttpAnswer::Refused},
    };
    for (const auto& [status, answer] : cases)
        EXPECT_EQ(ClassifyHttpStatus(status), answer) << status;
}

} // namespace
