#include "amp/reply_match.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplyMatch, AReplyBelongsToTheCommandItAnswers) {
    struct Case {
        const char* letters;
        int32_t code;
        const char* reply;
        bool belongs;
    };
    const Case cases[] = {
        {"ST", 1, "ST0000;", true},       {"FM", 8, "ST0000;", false}, {"SF", 12, "FS;", true},
        {"SF", 12, "SF;", false},         {"SF", 28, "SF;", true},     {"ER", 43, "ER00033100;", true},
        {"ER", 43, "ER00023100;", false}, {"MR", 32, "MR0;", true},    {"FN", 23, "??&;", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(amp::replyBelongsTo(c.letters, c.code, c.reply), c.belongs) << c.reply;
}

}  // namespace
