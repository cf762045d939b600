#include <gtest/gtest.h>

#include <atomic>
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
