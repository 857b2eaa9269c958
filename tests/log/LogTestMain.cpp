// Entry of the log tests. Started with kAppendChildSwitch the program is the
// second writer of the two-process append test instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "LogTestSupport.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kAppendChildSwitch) == 0) return runAppendChild();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
