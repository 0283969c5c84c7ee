// The simulated sensor on its in-process line, as the program's built-in port drives it. Standard
// library only: these run on every platform the program builds for.
#include <gtest/gtest.h>

#include <atomic>

#include "local_line.h"

namespace sim {
namespace {

std::vector<std::uint8_t> Exchange(LocalLine& line, std::vector<std::uint8_t> bytes,
                                   std::size_t count) {
    EXPECT_TRUE(line.Write(bytes));
    std::vector<std::uint8_t> got;
    while (got.size() < count && line.WaitForInput(2.0)) {
        std::uint8_t buf[64];
        got.insert(got.end(), buf, buf + line.Read(buf));
    }
    return got;
}

TEST(LocalLine, AnswersPacedThroughGarbageUntilItHangsUp) {
    LocalLine line({}, ServerOptions{19200, {{FaultKind::HangUp, 2}}, {}});
    EXPECT_FALSE(line.Write(std::vector<std::uint8_t>{0}));  // not started
    ASSERT_TRUE(line.Start());
    ASSERT_TRUE(line.Claim());
    EXPECT_FALSE(line.Claim());  // one client at a time
    std::atomic<int> notes = 0;
    line.SetNotify([&] { ++notes; });

    Frame check = MakeFrame(kRequestSync, LINE_CHECK, Words{0xBEEF});
    std::vector<std::uint8_t> request = {0x12, 0x55};
    request.insert(request.end(), check.begin(), check.end());
    const auto answer = Exchange(line, request, 36);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(std::tuple(GetWord(&answer[0]), GetWord(&answer[4])),
              std::tuple(kAnswerSync, 0xBEEF));
    EXPECT_LE(notes, 6);  // in bursts every few ms over the 19 ms of the answer, not per byte

    const Frame version = MakeFrame(kRequestSync, GET_VERSION, {});
    EXPECT_EQ(Exchange(line, {version.begin(), version.end()}, 72).size(), 72u);
    Exchange(line, {check.begin(), check.end()}, 36);  // the third request hangs the line up
    EXPECT_FALSE(line.serving());
    EXPECT_FALSE(line.Write({check.begin(), check.end()}));
    EXPECT_EQ(line.RequestCount(), 3);
}

}  // namespace
}  // namespace sim
