#include "sim/cat/cat_answers.h"

#include <gtest/gtest.h>

namespace {

TEST(CatAnswers, TheEmulatedTransceiverAnswersItsQueries) {
    struct Case {
        const char* command;
        const char* answer;
    };
    const Case cases[] = {
        {"DT;", "DT001;"},      {"FA;", "FA00014074000;"},
        {"FA00007100000;", ""}, {"FA;", "FA00007100000;"},
        {"FA123;", "?;"},       {"MD;", "MD2;"},
        {"MD3;", ""},           {"MD;", "MD3;"},
        {"ZZ;", "?;"},          {"DT", "?;"},
    };
    sim::TransceiverCat radio;
    for (const Case& c : cases) EXPECT_EQ(sim::answerCat(radio, c.command), c.answer) << c.command;
}

}  // namespace
