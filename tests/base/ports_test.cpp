#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/ports.h"

using namespace zel;

TEST(QueueMainThread, CallsFromAnotherThreadRunOnMainInOrder) {
    QueueMainThread main;
    std::vector<int> seen;
    std::atomic<bool> waited{false};
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            main.postToMain([&seen, i] { seen.push_back(i); });
        main.runOnMainAndWait([&] { seen.push_back(99); });
        waited = true;
        main.stop();
    });
    main.runFor(5000);
    worker.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 99}));
}

TEST(QueueMainThread, OnTheMainThreadCallsRunInline) {
    QueueMainThread main;
    int n = 0;
    main.runOnMainAndWait([&] { ++n; });
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(main.isMainThread());
}

// A wait of the main thread serves the other thread's calls while it lasts (a session handing
// over a line must not wait for the end of the front end's poll), and lasts its whole time.
TEST(QueueMainThread, WaitServesCallsAsTheyCome) {
    QueueMainThread main;
    std::atomic<bool> served{false};
    std::thread worker([&] { main.runOnMainAndWait([&] { served = true; }); });
    const auto start = std::chrono::steady_clock::now();
    main.waitMs(300);
    const auto waited = std::chrono::steady_clock::now() - start;
    worker.join();
    EXPECT_TRUE(served);
    EXPECT_GE(waited, std::chrono::milliseconds(300));
}
