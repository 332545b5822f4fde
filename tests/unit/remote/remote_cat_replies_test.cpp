#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "remote/cat_replies.h"

namespace {

// The replies the bytes complete, in order.
std::vector<std::string> repliesOf(remote::CatReplies& replies, const std::string& bytes) {
    std::vector<std::string> complete;
    for (const char byte : bytes) {
        const std::span<const uint8_t> reply = replies.take(static_cast<uint8_t>(byte));
        if (!reply.empty()) complete.emplace_back(reply.begin(), reply.end());
    }
    return complete;
}

TEST(CatReplies, EachSemicolonEndsAReply) {
    remote::CatReplies replies;
    EXPECT_EQ(repliesOf(replies, "FA00014070000;IF;;MD"),
              (std::vector<std::string>{"FA00014070000;", "IF;", ";"}));
    EXPECT_EQ(repliesOf(replies, "2;"), std::vector<std::string>{"MD2;"}) << "a reply goes on across reads";
}

// 200 bytes is the most a reply holds: the 200th may end it, a 201st drops the 200 before it.
TEST(CatReplies, BytesWithoutASemicolonWithin200AreDropped) {
    struct Case {
        std::string bytes;
        std::vector<std::string> replies;
    };
    for (const Case& test : {
             Case{std::string(199, 'a') + ";", {std::string(199, 'a') + ";"}},
             Case{std::string(200, 'a') + ";", {";"}},
             Case{std::string(200, 'a') + "IF;", {"IF;"}},
             Case{std::string(450, 'a') + "IF;", {std::string(50, 'a') + "IF;"}},
         }) {
        remote::CatReplies replies;
        EXPECT_EQ(repliesOf(replies, test.bytes), test.replies) << test.bytes.size();
    }
}

}  // namespace
